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
    pages = new QTabWidget(this);
    generalPage = CreateGeneralTab();
    playingPage = CreatePlayingTab();
    controllerPage = CreateControllerTab();
    joystickPage = CreateJoystickTab();
    mouseWheelPage = CreateMouseWheelTab();
    pages->addTab(generalPage, "General");
    pages->addTab(playingPage, "Playing");
    pages->addTab(controllerPage, "Controller");
    pages->addTab(joystickPage, "Joystick");
    pages->addTab(mouseWheelPage, "Mouse Wheel");

    auto* buttons = new QDialogButtonBox;
    okButton = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    applyButton = buttons->addButton("&Apply", QDialogButtonBox::ApplyRole);
    cancelButton = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(okButton, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
    connect(applyButton, &QPushButton::clicked, this, &TSettingsDialog::Apply);
    connect(cancelButton, &QPushButton::clicked, this, &TSettingsDialog::reject); // Escape too
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);
    okButton->setDefault(true); // once it belongs to the dialog
}

QWidget* TSettingsDialog::CreateGeneralTab() {
    auto* page = new QWidget;
    auto* language = new QGroupBox("Note display language");
    internationalNames = new QRadioButton("&International");
    germanNames = new QRadioButton("&German");
    frenchNames = new QRadioButton("&French / Italian");
    auto* languageLayout = new QVBoxLayout(language);
    for (QRadioButton* b : {internationalNames, germanNames, frenchNames}) languageLayout->addWidget(b);
    appearanceGroup = new QGroupBox("Appearance");
    keyWidthLabel = new QLabel("Key Width");
    keyWidthSlider = new QSlider(Qt::Horizontal);
    keyWidthSlider->setRange(KeyWidthMin, KeyWidthMax);
    oldStyleCheck = new QCheckBox("Use old style keyboard");
    showArrowsCheck = new QCheckBox("Show keyboard arrow buttons");
    auto* appearance = new QVBoxLayout(appearanceGroup);
    appearance->addWidget(keyWidthLabel);
    appearance->addWidget(keyWidthSlider);
    appearance->addWidget(oldStyleCheck);
    appearance->addWidget(showArrowsCheck);
    connect(keyWidthSlider, &QSlider::valueChanged, this, [this](int position) { actions_.keyWidth(position); });
    connect(oldStyleCheck, &QCheckBox::toggled, this, [this](bool old) { actions_.oldStyle(old); });
    connect(showArrowsCheck, &QCheckBox::toggled, this, [this](bool visible) { actions_.arrows(visible); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(language);
    layout->addWidget(appearanceGroup);
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
    keyEdit(upperKeyEdit, upperDefaultButton, &TPianoKeyboard::IsValidUpperCKey, DefaultUpperC);
    keyEdit(lowerKeyEdit, lowerDefaultButton, &TPianoKeyboard::IsValidLowerCKey, DefaultLowerC);
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
    numberEdit(velocityEdit, velocityUpDown, 0, 127);
    numberEdit(shiftPercentEdit, shiftPercentUpDown, 1, 100);
    louderRadio = new QRadioButton("% &Louder");
    quieterRadio = new QRadioButton("% &Quieter");

    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("Upper manual (second row on computer keyboard):", upperKeyEdit), 0, 0, 1, 3);
    grid->addWidget(upperKeyEdit, 1, 0, 1, 2);
    grid->addWidget(upperDefaultButton, 1, 2);
    grid->addWidget(Buddy("Lower manual (forth row on computer keyboard):", lowerKeyEdit), 2, 0, 1, 3);
    grid->addWidget(lowerKeyEdit, 3, 0, 1, 2);
    grid->addWidget(lowerDefaultButton, 3, 2);
    grid->addWidget(Buddy("Standard velocity (0..127):", velocityEdit), 4, 0);
    auto* velocity = new QHBoxLayout;
    velocity->addWidget(velocityEdit);
    velocity->addWidget(velocityUpDown);
    velocity->addStretch();
    grid->addLayout(velocity, 4, 1, 1, 2);
    grid->addWidget(Buddy("Alternate velocity with Shift (in percent):", shiftPercentEdit), 5, 0);
    auto* shift = new QHBoxLayout;
    shift->addWidget(shiftPercentEdit);
    shift->addWidget(shiftPercentUpDown);
    shift->addWidget(louderRadio);
    shift->addWidget(quieterRadio);
    shift->addStretch();
    grid->addLayout(shift, 5, 1, 1, 2);
    grid->setRowStretch(6, 1);
    return page;
}

QWidget* TSettingsDialog::CreateControllerTab() {
    auto* page = new QWidget;
    upDownBox = new QComboBox;
    leftRightBox = new QComboBox;
    modWheelBox = new QComboBox;
    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("&Up/Down Controller", upDownBox), 0, 0);
    grid->addWidget(upDownBox, 0, 1);
    grid->addWidget(Buddy("&Left/Right Controller", leftRightBox), 1, 0);
    grid->addWidget(leftRightBox, 1, 1);
    grid->addWidget(Buddy("&Mod Wheel Controller", modWheelBox), 2, 0);
    grid->addWidget(modWheelBox, 2, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TSettingsDialog::CreateJoystickTab() {
    auto* page = new QWidget;
    joystickActionBox = new QComboBox;
    joystickControllerBox = new QComboBox;
    noAutoChoiceCheck = new QCheckBox("Disable automatic controller choice");
    connect(joystickActionBox, &QComboBox::currentIndexChanged, this, &TSettingsDialog::ShowJoystickSlot);
    connect(joystickControllerBox, &QComboBox::currentIndexChanged, this, &TSettingsDialog::StoreJoystickSlot);
    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("&Joystick/Action", joystickActionBox), 0, 0);
    grid->addWidget(joystickActionBox, 0, 1);
    grid->addWidget(Buddy("&Controller", joystickControllerBox), 1, 0);
    grid->addWidget(joystickControllerBox, 1, 1);
    grid->addWidget(noAutoChoiceCheck, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TSettingsDialog::CreateMouseWheelTab() {
    auto* page = new QWidget;
    wheelControllerBox = new QComboBox;
    sensitivitySlider = new QSlider(Qt::Horizontal);
    sensitivitySlider->setRange(0, 10);
    auto* grid = new QGridLayout(page);
    grid->addWidget(Buddy("&Controller", wheelControllerBox), 0, 0);
    grid->addWidget(wheelControllerBox, 0, 1, 1, 3);
    grid->addWidget(Buddy("&Sensitivity", sensitivitySlider), 1, 0);
    grid->addWidget(new QLabel("Slow"), 1, 1);
    grid->addWidget(sensitivitySlider, 1, 2);
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
        internationalNames->setFocus(); // the checked radio button takes it over
    }
    QDialog::showEvent(event);
}

// The values the dialog was opened with.
void TSettingsDialog::ShowValues() {
    {
        const QSignalBlocker quiet(oldStyleCheck), quietArrows(showArrowsCheck), quietWidth(keyWidthSlider);
        keyWidthSlider->setValue(values_.keyWidthPosition);
        oldStyleCheck->setEnabled(values_.imagesAvailable);
        oldStyleCheck->setChecked(values_.oldStyle);
        showArrowsCheck->setChecked(values_.arrowsVisible);
    }
    keyWidthBaseline_ = keyWidthSlider->value();
    oldStyleBaseline_ = oldStyleCheck->isChecked();
    arrowsBaseline_ = showArrowsCheck->isChecked();
    if (upDownBox->count() < 2) {
        const QSignalBlocker quiet(joystickActionBox), quietController(joystickControllerBox);
        const std::vector<std::string> codes = ControllerNames::CodeItems();
        for (QComboBox* box : {upDownBox, leftRightBox, joystickControllerBox, wheelControllerBox}) Fill(box, codes);
        Fill(modWheelBox, ControllerNames::ControllerItems());
        Fill(joystickActionBox, ControllerNames::JoystickActions());
        joystickActionBox->setCurrentIndex(0);
        joystickControllerBox->setCurrentIndex(0);
    }
    if (joystickActionBox->currentIndex() < 0) joystickActionBox->setCurrentIndex(0);
    ShowJoystickSlot();
    using ControllerNames::IndexFromCode;
    upDownBox->setCurrentIndex(IndexFromCode(values_.upDownController));
    leftRightBox->setCurrentIndex(IndexFromCode(values_.leftRightController));
    SetDefaultKey(upperKeyEdit, values_.upperCScanCode);
    SetDefaultKey(lowerKeyEdit, values_.lowerCScanCode);
    modWheelBox->setCurrentIndex(std::clamp(values_.modulationController, 0, 127));
    wheelControllerBox->setCurrentIndex(IndexFromCode(values_.mouseWheelController));
    sensitivitySlider->setValue(values_.mouseWheelSensitivity);
    switch (values_.language) {
    case TLanguage::International: internationalNames->setChecked(true); break;
    case TLanguage::German: germanNames->setChecked(true); break;
    default: frenchNames->setChecked(true); break;
    }
    const TShiftVelocity shift = TShiftVelocity::FromFactor(values_.velocityShiftFactor);
    (shift.louder ? louderRadio : quieterRadio)->setChecked(true);
    shiftPercentUpDown->SetPosition(shift.percent);
    shiftPercentEdit->setText(QString::number(shiftPercentUpDown->Position()));
    velocityUpDown->SetPosition(values_.velocity);
    velocityEdit->setText(QString::number(velocityUpDown->Position()));
}

void TSettingsDialog::Apply() {
    using ControllerNames::CodeFromIndex;
    values_.upDownController = CodeFromIndex(upDownBox->currentIndex());
    values_.leftRightController = CodeFromIndex(leftRightBox->currentIndex());
    if (upperKeyEdit->Sequence().Count() == 1)
        values_.upperCScanCode = KeyMap::VirtualKeyToScanCode(upperKeyEdit->Sequence().Items(0).VirtualKey());
    if (lowerKeyEdit->Sequence().Count() == 1)
        values_.lowerCScanCode = KeyMap::VirtualKeyToScanCode(lowerKeyEdit->Sequence().Items(0).VirtualKey());
    values_.modulationController = modWheelBox->currentIndex();
    values_.mouseWheelController = CodeFromIndex(wheelControllerBox->currentIndex());
    values_.mouseWheelSensitivity = sensitivitySlider->value();
    values_.language = internationalNames->isChecked() ? TLanguage::International
                       : germanNames->isChecked()      ? TLanguage::German
                                                    : TLanguage::Italian;
    values_.velocityShiftFactor = TShiftVelocity{louderRadio->isChecked(), shiftPercentUpDown->Position()}.Factor();
    values_.velocity = velocityUpDown->Position();
    actions_.apply(values_);
    keyWidthBaseline_ = keyWidthSlider->value();
    oldStyleBaseline_ = oldStyleCheck->isChecked();
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
    const int action = std::max(joystickActionBox->currentIndex(), 0);
    const auto slot = ControllerNames::ActionSlot(action);
    const QSignalBlocker quiet(joystickControllerBox);
    joystickControllerBox->setCurrentIndex(ControllerNames::IndexFromCode(
        values_.joystickTable.Code(slot.joystick, static_cast<TJoystickAxis>(slot.axis), slot.slot)));
}

void TSettingsDialog::StoreJoystickSlot() {
    const int action = joystickActionBox->currentIndex();
    if (action < 0) return;
    const auto slot = ControllerNames::ActionSlot(action);
    values_.joystickTable.SetCode(slot.joystick, static_cast<TJoystickAxis>(slot.axis), slot.slot,
                           ControllerNames::CodeFromIndex(joystickControllerBox->currentIndex()));
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
    if ((watched == velocityEdit || watched == shiftPercentEdit) && event->type() == QEvent::KeyPress) {
        auto* edit = static_cast<QLineEdit*>(watched);
        TUpDown* upDown = edit == velocityEdit ? velocityUpDown : shiftPercentUpDown;
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
    if (focus == upDownBox || focus == leftRightBox) {
        static_cast<QComboBox*>(focus)->setCurrentIndex(ControllerNames::IndexFromCode(code));
    } else if (focus == modWheelBox) {
        if (code < 128) modWheelBox->setCurrentIndex(code);
    } else if (pages->currentWidget() == joystickPage && !noAutoChoiceCheck->isChecked()) {
        joystickControllerBox->setCurrentIndex(ControllerNames::IndexFromCode(code)); // stores the slot
    } else if (pages->currentWidget() == mouseWheelPage) {
        wheelControllerBox->setCurrentIndex(ControllerNames::IndexFromCode(code));
    }
}
