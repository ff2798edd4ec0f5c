#include "settings/USettings.h"

#include "controls/UpDown.h"
#include "keyboard/Keyboard.h"
#include "keyboard/VKEdit.h"
#include "mainwindow/Tonecast2.h"
#include "platform/KeyMap.h"
#include "platform/QtServices.h"
#include "settings/ControllerNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int DefaultUpperC = 16; // Q
constexpr int DefaultLowerC = 44; // Z

void Fill(QComboBox* box, const std::vector<std::string>& items) {
    for (const std::string& item : items) box->addItem(QString::fromStdString(item));
}

QLabel* Buddy(const QString& caption, QWidget* control) {
    auto* label = new QLabel(caption);
    label->setBuddy(control);
    return label;
}

} // namespace

TSettings::TSettings(TTonecast2* mainWindow)
    : QDialog(mainWindow), main_(mainWindow), keyWidth_(mainWindow->TBKeyWidth),
      keyWidthOwner_(mainWindow->TBKeyWidth->parentWidget()) {
    setWindowTitle("Settings");
    setWindowFlag(Qt::Tool);
    setAttribute(Qt::WA_DeleteOnClose);
    PageControl = new QTabWidget(this);
    GeneralTab = CreateGeneralTab();
    PlayingTab = CreatePlayingTab();
    ControllerTab = CreateControllerTab();
    JoystickTab = CreateJoystickTab();
    MouseWheelTab = CreateMouseWheelTab();
    PageControl->addTab(GeneralTab, "General");
    PageControl->addTab(PlayingTab, "Playing");
    PageControl->addTab(ControllerTab, "Controller");
    PageControl->addTab(JoystickTab, "Joystick");
    PageControl->addTab(MouseWheelTab, "Mouse Wheel");

    auto* buttons = new QDialogButtonBox;
    BOK = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    BApply = buttons->addButton("&Apply", QDialogButtonBox::ApplyRole);
    BCancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(BOK, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
    connect(BApply, &QPushButton::clicked, this, &TSettings::Apply);
    connect(BCancel, &QPushButton::clicked, this, &TSettings::reject); // Escape too
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addWidget(buttons);
    BOK->setDefault(true); // once it belongs to the dialog

    // The main window's key-width slider moves in under its label.
    auto* appearance = static_cast<QVBoxLayout*>(GBAppearance->layout());
    appearance->insertWidget(appearance->indexOf(LKeyWidth) + 1, keyWidth_);
    keyWidth_->show();
    keyWidthBaseline_ = keyWidth_->value();
}

QWidget* TSettings::CreateGeneralTab() {
    auto* page = new QWidget;
    auto* language = new QGroupBox("Note display language");
    RBInternational = new QRadioButton("&International");
    RBGerman = new QRadioButton("&German");
    RBFrench = new QRadioButton("&French / Italian");
    auto* languageLayout = new QVBoxLayout(language);
    for (QRadioButton* b : {RBInternational, RBGerman, RBFrench}) languageLayout->addWidget(b);
    GBAppearance = new QGroupBox("Appearance");
    LKeyWidth = new QLabel("Key Width");
    CBOldStyle = new QCheckBox("Use old style keyboard");
    CBShowArrows = new QCheckBox("Show keyboard arrow buttons");
    auto* appearance = new QVBoxLayout(GBAppearance);
    appearance->addWidget(LKeyWidth);
    appearance->addWidget(CBOldStyle);
    appearance->addWidget(CBShowArrows);
    connect(CBOldStyle, &QCheckBox::toggled, this, [this](bool old) {
        main_->Keyboard1->SetPaintStyle(old ? TPaintStyle::psDraw : TPaintStyle::psImage);
        main_->UpdateFromKeyboard();
    });
    connect(CBShowArrows, &QCheckBox::toggled, main_, &TTonecast2::SetArrowsVisible);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(language);
    layout->addWidget(GBAppearance);
    layout->addStretch();
    return page;
}

QWidget* TSettings::CreatePlayingTab() {
    auto* page = new QWidget;
    auto keyEdit = [this](TVKEdit*& edit, QPushButton*& button, bool (*valid)(int), int defaultKey) {
        edit = new TVKEdit;
        edit->SetOnlyOneChar(true);
        // Only a key that can be the C of that manual is taken.
        edit->OnKeyEvent = [valid](TVKEdit*, const TKeyData& data, bool& add) { add = valid(data.scanCode); };
        button = new QPushButton("Default");
        connect(button, &QPushButton::clicked, this, [this, &edit, defaultKey] { SetDefaultKey(edit, defaultKey); });
    };
    keyEdit(EUpperKey, BUpperDefault, &TKeyboard::IsValidUpperCKey, DefaultUpperC);
    keyEdit(ELowerKey, BLowerDefault, &TKeyboard::IsValidLowerCKey, DefaultLowerC);
    auto numberEdit = [this](QLineEdit*& edit, TUpDown*& upDown, int min, int max) {
        edit = new QLineEdit;
        edit->setMaximumWidth(60);
        edit->installEventFilter(this);
        upDown = new TUpDown;
        upDown->SetRange(min, max);
        upDown->setFixedSize(16, 24);
        upDown->OnClick = [edit](TUpDown* sender, bool) { edit->setText(QString::number(sender->Position())); };
        connect(edit, &QLineEdit::editingFinished, this, [this, &edit, &upDown] { NumberEntered(edit, upDown); });
    };
    numberEdit(EVelocity, UDVelocity, 0, 127);
    numberEdit(EShiftPercent, UDShiftPercent, 1, 100);
    RBLouder = new QRadioButton("% &Louder");
    RBQuieter = new QRadioButton("% &Quieter");

    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("Upper manual (second row on computer keyboard):", EUpperKey), 0, 0, 1, 3);
    grid->addWidget(EUpperKey, 1, 0, 1, 2);
    grid->addWidget(BUpperDefault, 1, 2);
    grid->addWidget(Buddy("Lower manual (forth row on computer keyboard):", ELowerKey), 2, 0, 1, 3);
    grid->addWidget(ELowerKey, 3, 0, 1, 2);
    grid->addWidget(BLowerDefault, 3, 2);
    grid->addWidget(Buddy("Standard velocity (0..127):", EVelocity), 4, 0);
    auto* velocity = new QHBoxLayout;
    velocity->addWidget(EVelocity);
    velocity->addWidget(UDVelocity);
    velocity->addStretch();
    grid->addLayout(velocity, 4, 1, 1, 2);
    grid->addWidget(Buddy("Alternate velocity with Shift (in percent):", EShiftPercent), 5, 0);
    auto* shift = new QHBoxLayout;
    shift->addWidget(EShiftPercent);
    shift->addWidget(UDShiftPercent);
    shift->addWidget(RBLouder);
    shift->addWidget(RBQuieter);
    shift->addStretch();
    grid->addLayout(shift, 5, 1, 1, 2);
    grid->setRowStretch(6, 1);
    return page;
}

QWidget* TSettings::CreateControllerTab() {
    auto* page = new QWidget;
    CBUpDown = new QComboBox;
    CBLeftRight = new QComboBox;
    CBModWheel = new QComboBox;
    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("&Up/Down Controller", CBUpDown), 0, 0);
    grid->addWidget(CBUpDown, 0, 1);
    grid->addWidget(Buddy("&Left/Right Controller", CBLeftRight), 1, 0);
    grid->addWidget(CBLeftRight, 1, 1);
    grid->addWidget(Buddy("&Mod Wheel Controller", CBModWheel), 2, 0);
    grid->addWidget(CBModWheel, 2, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TSettings::CreateJoystickTab() {
    auto* page = new QWidget;
    CBJoystickAction = new QComboBox;
    CBJoystickController = new QComboBox;
    CBNoAutoChoice = new QCheckBox("Disable automatic controller choice");
    connect(CBJoystickAction, &QComboBox::currentIndexChanged, this, &TSettings::ShowJoystickSlot);
    connect(CBJoystickController, &QComboBox::currentIndexChanged, this, &TSettings::StoreJoystickSlot);
    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("&Joystick/Action", CBJoystickAction), 0, 0);
    grid->addWidget(CBJoystickAction, 0, 1);
    grid->addWidget(Buddy("&Controller", CBJoystickController), 1, 0);
    grid->addWidget(CBJoystickController, 1, 1);
    grid->addWidget(CBNoAutoChoice, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TSettings::CreateMouseWheelTab() {
    auto* page = new QWidget;
    CBWheelController = new QComboBox;
    TBSensitivity = new QSlider(Qt::Horizontal);
    TBSensitivity->setRange(0, 10);
    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("&Controller", CBWheelController), 0, 0);
    grid->addWidget(CBWheelController, 0, 1, 1, 3);
    grid->addWidget(Buddy("&Sensitivity", TBSensitivity), 1, 0);
    grid->addWidget(new QLabel("Slow"), 1, 1);
    grid->addWidget(TBSensitivity, 1, 2);
    grid->addWidget(new QLabel("Fast"), 1, 3);
    grid->setRowStretch(2, 1);
    return page;
}

void TSettings::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        ShowValues();
        adjustSize();
        const QRect screen = WorkArea(main_);
        move(screen.center() - rect().center());
        RBInternational->setFocus(); // the checked radio button takes it over
    }
    QDialog::showEvent(event);
}

// A snapshot of the owners' values.
void TSettings::ShowValues() {
    TKeyboard* keyboard = main_->Keyboard1;
    {
        const QSignalBlocker quiet(CBOldStyle), quietArrows(CBShowArrows);
        CBOldStyle->setEnabled(keyboard->ImagesAvailable());
        CBOldStyle->setChecked(keyboard->PaintStyle() == TPaintStyle::psDraw);
        CBShowArrows->setChecked(main_->ArrowsVisible());
    }
    oldStyleBaseline_ = CBOldStyle->isChecked();
    arrowsBaseline_ = CBShowArrows->isChecked();
    if (CBUpDown->count() < 2) {
        const QSignalBlocker quiet(CBJoystickAction), quietController(CBJoystickController);
        const std::vector<std::string> codes = ControllerNames::CodeItems();
        for (QComboBox* box : {CBUpDown, CBLeftRight, CBJoystickController, CBWheelController}) Fill(box, codes);
        Fill(CBModWheel, ControllerNames::ControllerItems());
        Fill(CBJoystickAction, ControllerNames::JoystickActions());
        CBJoystickAction->setCurrentIndex(0);
        CBJoystickController->setCurrentIndex(0);
    }
    joystickTable_ = main_->JoystickTable();
    if (CBJoystickAction->currentIndex() < 0) CBJoystickAction->setCurrentIndex(0);
    ShowJoystickSlot();
    using ControllerNames::IndexFromCode;
    CBUpDown->setCurrentIndex(IndexFromCode(keyboard->State().UpDownController()));
    CBLeftRight->setCurrentIndex(IndexFromCode(keyboard->State().LeftRightController()));
    SetDefaultKey(EUpperKey, keyboard->UpperCScanCode());
    SetDefaultKey(ELowerKey, keyboard->LowerCScanCode());
    CBModWheel->setCurrentIndex(std::clamp<int>(main_->ModulationController(), 0, 127));
    CBWheelController->setCurrentIndex(IndexFromCode(main_->MouseWheelController()));
    TBSensitivity->setValue(main_->MouseWheelSensitivity);
    switch (keyboard->Language()) {
    case TLanguage::International: RBInternational->setChecked(true); break;
    case TLanguage::German: RBGerman->setChecked(true); break;
    default: RBFrench->setChecked(true); break;
    }
    const TShiftVelocity shift = TShiftVelocity::FromFactor(keyboard->State().VelocityShiftFactor());
    (shift.louder ? RBLouder : RBQuieter)->setChecked(true);
    UDShiftPercent->SetPosition(shift.percent);
    EShiftPercent->setText(QString::number(UDShiftPercent->Position()));
    UDVelocity->SetPosition(keyboard->State().Velocity());
    EVelocity->setText(QString::number(UDVelocity->Position()));
}

void TSettings::Apply() {
    TKeyboard* keyboard = main_->Keyboard1;
    using ControllerNames::CodeFromIndex;
    keyboard->State().SetUpDownController(CodeFromIndex(CBUpDown->currentIndex()));
    keyboard->State().SetLeftRightController(CodeFromIndex(CBLeftRight->currentIndex()));
    if (EUpperKey->Sequence().Count() == 1)
        keyboard->SetUpperCScanCode(KeyMap::VirtualKeyToScanCode(EUpperKey->Sequence().Items(0).VirtualKey()));
    if (ELowerKey->Sequence().Count() == 1)
        keyboard->SetLowerCScanCode(KeyMap::VirtualKeyToScanCode(ELowerKey->Sequence().Items(0).VirtualKey()));
    main_->SetModulationController(CBModWheel->currentIndex());
    main_->SetMouseWheelController(CodeFromIndex(CBWheelController->currentIndex()));
    main_->MouseWheelSensitivity = TBSensitivity->value();
    main_->JoystickTable() = joystickTable_;
    main_->ApplyJoystickSetup();
    keyboard->SetLanguage(RBInternational->isChecked() ? TLanguage::International
                          : RBGerman->isChecked()      ? TLanguage::German
                                                       : TLanguage::Italian);
    keyWidthBaseline_ = keyWidth_->value();
    oldStyleBaseline_ = keyboard->PaintStyle() == TPaintStyle::psDraw;
    keyboard->State().SetVelocityShiftFactor(TShiftVelocity{RBLouder->isChecked(), UDShiftPercent->Position()}.Factor());
    keyboard->State().SetVelocity(UDVelocity->Position());
}

void TSettings::Cancel() {
    main_->SetArrowsVisible(arrowsBaseline_);
    // The style first: a keyboard drawn from images ignores a key width.
    main_->Keyboard1->SetPaintStyle(oldStyleBaseline_ ? TPaintStyle::psDraw : TPaintStyle::psImage);
    main_->UpdateFromKeyboard();
    {
        const QSignalBlocker quiet(keyWidth_);
        keyWidth_->setValue(keyWidthBaseline_);
    }
    emit keyWidth_->valueChanged(keyWidthBaseline_); // applied even where the position did not move
}

void TSettings::done(int result) {
    if (result == QDialog::Rejected) Cancel();
    // The slider goes back to the main window, hidden.
    keyWidth_->hide();
    keyWidth_->setParent(keyWidthOwner_);
    QDialog::done(result);
}

void TSettings::ShowJoystickSlot() {
    const int action = std::max(CBJoystickAction->currentIndex(), 0);
    const auto slot = ControllerNames::ActionSlot(action);
    const QSignalBlocker quiet(CBJoystickController);
    CBJoystickController->setCurrentIndex(ControllerNames::IndexFromCode(
        joystickTable_.Code(slot.joystick, static_cast<TJoystickAxis>(slot.axis), slot.slot)));
}

void TSettings::StoreJoystickSlot() {
    const int action = CBJoystickAction->currentIndex();
    if (action < 0) return;
    const auto slot = ControllerNames::ActionSlot(action);
    joystickTable_.SetCode(slot.joystick, static_cast<TJoystickAxis>(slot.axis), slot.slot,
                           ControllerNames::CodeFromIndex(CBJoystickController->currentIndex()));
}

void TSettings::SetDefaultKey(TVKEdit* edit, int scanCode) {
    edit->Clear();
    edit->Sequence().AddEvent(std::make_unique<TKeyEvent>(TKeyEvent::FromScanCode(static_cast<std::uint8_t>(scanCode), false, false)));
    edit->setText(QString::fromStdString(edit->Sequence().GetText()));
}

// Text that is no number is dropped; a number is clamped to the up-down's range.
void TSettings::NumberEntered(QLineEdit* edit, TUpDown* upDown) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (ok) upDown->SetPosition(value);
    edit->setText(QString::number(upDown->Position()));
}

bool TSettings::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == EVelocity || watched == EShiftPercent) && event->type() == QEvent::KeyPress) {
        auto* edit = static_cast<QLineEdit*>(watched);
        TUpDown* upDown = edit == EVelocity ? UDVelocity : UDShiftPercent;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            NumberEntered(edit, upDown);
            return true; // not the default button's
        }
        if (key == Qt::Key_Escape) {
            edit->setText(QString::number(upDown->Position()));
            return true; // not the dialog's Cancel
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TSettings::LearnController(int code) {
    QWidget* focus = focusWidget();
    if (focus == CBUpDown || focus == CBLeftRight) {
        static_cast<QComboBox*>(focus)->setCurrentIndex(ControllerNames::IndexFromCode(code));
    } else if (focus == CBModWheel) {
        if (code < 128) CBModWheel->setCurrentIndex(code);
    } else if (PageControl->currentWidget() == JoystickTab && !CBNoAutoChoice->isChecked()) {
        CBJoystickController->setCurrentIndex(ControllerNames::IndexFromCode(code)); // stores the slot
    } else if (PageControl->currentWidget() == MouseWheelTab) {
        CBWheelController->setCurrentIndex(ControllerNames::IndexFromCode(code));
    }
}
