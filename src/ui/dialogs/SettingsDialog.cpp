#include "dialogs/SettingsDialog.h"

#include "widgets/UpDown.h"
#include "widgets/KeyCaptureEdit.h"
#include "widgets/PianoKeyboard.h"
#include "instrument/KeyMap.h"
#include "widgets/QtServices.h"
#include "instrument/ControllerNames.h"

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

TSettingsDialog::TSettingsDialog(QWidget* parent, const TSettingsValues& values, TSettingsActions actions)
    : QDialog(parent), values_(values), actions_(std::move(actions)) {
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
    connect(BApply, &QPushButton::clicked, this, &TSettingsDialog::Apply);
    connect(BCancel, &QPushButton::clicked, this, &TSettingsDialog::reject); // Escape too
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addWidget(buttons);
    BOK->setDefault(true); // once it belongs to the dialog
}

QWidget* TSettingsDialog::CreateGeneralTab() {
    auto* page = new QWidget;
    auto* language = new QGroupBox("Note display language");
    RBInternational = new QRadioButton("&International");
    RBGerman = new QRadioButton("&German");
    RBFrench = new QRadioButton("&French / Italian");
    auto* languageLayout = new QVBoxLayout(language);
    for (QRadioButton* b : {RBInternational, RBGerman, RBFrench}) languageLayout->addWidget(b);
    GBAppearance = new QGroupBox("Appearance");
    LKeyWidth = new QLabel("Key Width");
    TBKeyWidth = new QSlider(Qt::Horizontal);
    TBKeyWidth->setRange(KeyWidthMin, KeyWidthMax);
    CBOldStyle = new QCheckBox("Use old style keyboard");
    CBShowArrows = new QCheckBox("Show keyboard arrow buttons");
    auto* appearance = new QVBoxLayout(GBAppearance);
    appearance->addWidget(LKeyWidth);
    appearance->addWidget(TBKeyWidth);
    appearance->addWidget(CBOldStyle);
    appearance->addWidget(CBShowArrows);
    connect(TBKeyWidth, &QSlider::valueChanged, this, [this](int position) { actions_.keyWidth(position); });
    connect(CBOldStyle, &QCheckBox::toggled, this, [this](bool old) { actions_.oldStyle(old); });
    connect(CBShowArrows, &QCheckBox::toggled, this, [this](bool visible) { actions_.arrows(visible); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(language);
    layout->addWidget(GBAppearance);
    layout->addStretch();
    return page;
}

QWidget* TSettingsDialog::CreatePlayingTab() {
    auto* page = new QWidget;
    auto keyEdit = [this](TKeyCaptureEdit*& edit, QPushButton*& button, bool (*valid)(int), int defaultKey) {
        edit = new TKeyCaptureEdit;
        edit->SetOnlyOneChar(true);
        // Only a key that can be the C of that manual is taken.
        edit->OnKeyEvent = [valid](TKeyCaptureEdit*, const TKeyData& data, bool& add) { add = valid(data.scanCode); };
        button = new QPushButton("Default");
        connect(button, &QPushButton::clicked, this, [this, &edit, defaultKey] { SetDefaultKey(edit, defaultKey); });
    };
    keyEdit(EUpperKey, BUpperDefault, &TPianoKeyboard::IsValidUpperCKey, DefaultUpperC);
    keyEdit(ELowerKey, BLowerDefault, &TPianoKeyboard::IsValidLowerCKey, DefaultLowerC);
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

QWidget* TSettingsDialog::CreateControllerTab() {
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

QWidget* TSettingsDialog::CreateJoystickTab() {
    auto* page = new QWidget;
    CBJoystickAction = new QComboBox;
    CBJoystickController = new QComboBox;
    CBNoAutoChoice = new QCheckBox("Disable automatic controller choice");
    connect(CBJoystickAction, &QComboBox::currentIndexChanged, this, &TSettingsDialog::ShowJoystickSlot);
    connect(CBJoystickController, &QComboBox::currentIndexChanged, this, &TSettingsDialog::StoreJoystickSlot);
    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("&Joystick/Action", CBJoystickAction), 0, 0);
    grid->addWidget(CBJoystickAction, 0, 1);
    grid->addWidget(Buddy("&Controller", CBJoystickController), 1, 0);
    grid->addWidget(CBJoystickController, 1, 1);
    grid->addWidget(CBNoAutoChoice, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TSettingsDialog::CreateMouseWheelTab() {
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

void TSettingsDialog::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        ShowValues();
        adjustSize();
        const QRect screen = WorkArea(parentWidget());
        move(screen.center() - rect().center());
        RBInternational->setFocus(); // the checked radio button takes it over
    }
    QDialog::showEvent(event);
}

// The values the dialog was opened with.
void TSettingsDialog::ShowValues() {
    {
        const QSignalBlocker quiet(CBOldStyle), quietArrows(CBShowArrows), quietWidth(TBKeyWidth);
        TBKeyWidth->setValue(values_.keyWidthPosition);
        CBOldStyle->setEnabled(values_.imagesAvailable);
        CBOldStyle->setChecked(values_.oldStyle);
        CBShowArrows->setChecked(values_.arrowsVisible);
    }
    keyWidthBaseline_ = TBKeyWidth->value();
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
    if (CBJoystickAction->currentIndex() < 0) CBJoystickAction->setCurrentIndex(0);
    ShowJoystickSlot();
    using ControllerNames::IndexFromCode;
    CBUpDown->setCurrentIndex(IndexFromCode(values_.upDownController));
    CBLeftRight->setCurrentIndex(IndexFromCode(values_.leftRightController));
    SetDefaultKey(EUpperKey, values_.upperCScanCode);
    SetDefaultKey(ELowerKey, values_.lowerCScanCode);
    CBModWheel->setCurrentIndex(std::clamp(values_.modulationController, 0, 127));
    CBWheelController->setCurrentIndex(IndexFromCode(values_.mouseWheelController));
    TBSensitivity->setValue(values_.mouseWheelSensitivity);
    switch (values_.language) {
    case TLanguage::International: RBInternational->setChecked(true); break;
    case TLanguage::German: RBGerman->setChecked(true); break;
    default: RBFrench->setChecked(true); break;
    }
    const TShiftVelocity shift = TShiftVelocity::FromFactor(values_.velocityShiftFactor);
    (shift.louder ? RBLouder : RBQuieter)->setChecked(true);
    UDShiftPercent->SetPosition(shift.percent);
    EShiftPercent->setText(QString::number(UDShiftPercent->Position()));
    UDVelocity->SetPosition(values_.velocity);
    EVelocity->setText(QString::number(UDVelocity->Position()));
}

void TSettingsDialog::Apply() {
    using ControllerNames::CodeFromIndex;
    values_.upDownController = CodeFromIndex(CBUpDown->currentIndex());
    values_.leftRightController = CodeFromIndex(CBLeftRight->currentIndex());
    if (EUpperKey->Sequence().Count() == 1)
        values_.upperCScanCode = KeyMap::VirtualKeyToScanCode(EUpperKey->Sequence().Items(0).VirtualKey());
    if (ELowerKey->Sequence().Count() == 1)
        values_.lowerCScanCode = KeyMap::VirtualKeyToScanCode(ELowerKey->Sequence().Items(0).VirtualKey());
    values_.modulationController = CBModWheel->currentIndex();
    values_.mouseWheelController = CodeFromIndex(CBWheelController->currentIndex());
    values_.mouseWheelSensitivity = TBSensitivity->value();
    values_.language = RBInternational->isChecked() ? TLanguage::International
                       : RBGerman->isChecked()      ? TLanguage::German
                                                    : TLanguage::Italian;
    values_.velocityShiftFactor = TShiftVelocity{RBLouder->isChecked(), UDShiftPercent->Position()}.Factor();
    values_.velocity = UDVelocity->Position();
    actions_.apply(values_);
    keyWidthBaseline_ = TBKeyWidth->value();
    oldStyleBaseline_ = CBOldStyle->isChecked();
}

void TSettingsDialog::Cancel() {
    actions_.arrows(arrowsBaseline_);
    // The style first: a keyboard drawn from images ignores a key width.
    actions_.oldStyle(oldStyleBaseline_);
    actions_.keyWidth(keyWidthBaseline_); // even where the slider did not move
}

void TSettingsDialog::done(int result) {
    if (result == QDialog::Rejected) Cancel();
    QDialog::done(result);
}

void TSettingsDialog::ShowJoystickSlot() {
    const int action = std::max(CBJoystickAction->currentIndex(), 0);
    const auto slot = ControllerNames::ActionSlot(action);
    const QSignalBlocker quiet(CBJoystickController);
    CBJoystickController->setCurrentIndex(ControllerNames::IndexFromCode(
        values_.joystickTable.Code(slot.joystick, static_cast<TJoystickAxis>(slot.axis), slot.slot)));
}

void TSettingsDialog::StoreJoystickSlot() {
    const int action = CBJoystickAction->currentIndex();
    if (action < 0) return;
    const auto slot = ControllerNames::ActionSlot(action);
    values_.joystickTable.SetCode(slot.joystick, static_cast<TJoystickAxis>(slot.axis), slot.slot,
                           ControllerNames::CodeFromIndex(CBJoystickController->currentIndex()));
}

void TSettingsDialog::SetDefaultKey(TKeyCaptureEdit* edit, int scanCode) {
    edit->Clear();
    edit->Sequence().AddEvent(std::make_unique<TKeyEvent>(TKeyEvent::FromScanCode(static_cast<std::uint8_t>(scanCode), false, false)));
    edit->setText(QString::fromStdString(edit->Sequence().GetText()));
}

// Text that is no number is dropped; a number is clamped to the up-down's range.
void TSettingsDialog::NumberEntered(QLineEdit* edit, TUpDown* upDown) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (ok) upDown->SetPosition(value);
    edit->setText(QString::number(upDown->Position()));
}

bool TSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
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

void TSettingsDialog::LearnController(int code) {
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
