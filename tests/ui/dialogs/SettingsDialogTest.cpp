// The settings dialog over a real main window: showing, Apply, Cancel, its
// number and key edits, and controller learning.
#include "widgets/ImageStripControl.h"
#include "widgets/KnobRow.h"
#include "widgets/UpDown.h"
#include "widgets/RotaryKnob.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/KeyCaptureEdit.h"
#include "mainwindow/MainWindow.h"
#include "instrument/KeyMap.h"
#include "dialogs/SettingsDialog.h"

#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

class SettingsDialogTest : public WindowFixture {
protected:
    TSettingsDialog* Open(TMainWindow& w) {
        w.settingsItem->trigger();
        QApplication::processEvents();
        return w.Settings().Dialog();
    }
    static void Key(QWidget* to, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(to, &press);
    }
};

TEST_F(SettingsDialogTest, OpensOnceOnGeneralWithItsOwnKeyWidthSlider) {
    auto w = Start();
    TSettingsDialog* s = Open(*w);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->isVisible());
    EXPECT_EQ(s->windowTitle(), "Settings");
    EXPECT_TRUE(s->windowFlags().testFlag(Qt::Tool));
    std::vector<QString> tabs;
    for (int i = 0; i < s->pages->count(); ++i) tabs.push_back(s->pages->tabText(i));
    EXPECT_EQ(tabs, (std::vector<QString>{"General", "Playing", "Controller", "Joystick", "Mouse Wheel"}));
    EXPECT_EQ(s->pages->currentWidget(), s->generalPage);
    EXPECT_EQ(s->keyWidthSlider->parentWidget(), static_cast<QWidget*>(s->appearanceGroup));
    EXPECT_TRUE(s->keyWidthSlider->isVisible());
    EXPECT_EQ(s->keyWidthSlider->value(), w->KeyWidthPosition());
    s->keyWidthSlider->setValue(TMainWindow::KeyWidthMax); // acts at once
    EXPECT_EQ(w->keyboard->ImageSize(), TImageSize::Big);
    EXPECT_TRUE(s->okButton->isDefault());
    s->pages->setCurrentWidget(s->joystickPage);
    EXPECT_EQ(Open(*w), s); // the same dialog, back on its first page
    EXPECT_EQ(s->pages->currentWidget(), s->generalPage);

    s->close();
    QApplication::processEvents();
    EXPECT_EQ(w->Settings().Dialog(), nullptr);
    w->close();
}

TEST_F(SettingsDialogTest, ShowsTheOwnersValuesAndApplyWritesThemBack) {
    StoreSettings([](TIniStore& store) {
        store.WriteInteger("Keyboard", "VelShiftFactor", 0); // shown as quieter by 99
        store.WriteInteger("Keyboard", "UpDownController", 129);
        store.WriteInteger("Keyboard", "LeftRightController", 128);
    });
    auto w = Start();
    TSettingsDialog* s = Open(*w);
    EXPECT_TRUE(s->quieterRadio->isChecked());
    EXPECT_EQ(s->shiftPercentEdit->text(), "99");
    EXPECT_EQ(s->upDownBox->currentText(), "(none)");
    EXPECT_EQ(s->leftRightBox->currentText(), "Pitch Wheel");
    EXPECT_EQ(s->modWheelBox->currentText(), "001 Modulation");
    EXPECT_EQ(s->modWheelBox->count(), 128);
    EXPECT_EQ(s->upDownBox->count(), 130);
    EXPECT_EQ(s->wheelControllerBox->currentText(), "001 Modulation");
    EXPECT_EQ(s->sensitivitySlider->value(), 4);
    EXPECT_TRUE(s->internationalNames->isChecked());
    EXPECT_EQ(s->joystickActionBox->count(), 30);
    EXPECT_EQ(s->joystickActionBox->currentIndex(), 0);

    s->upDownBox->setCurrentIndex(9);      // 007
    s->leftRightBox->setCurrentIndex(0);   // none
    s->modWheelBox->setCurrentIndex(11);
    s->wheelControllerBox->setCurrentIndex(1); // pitch wheel
    s->sensitivitySlider->setValue(7);
    s->germanNames->setChecked(true);
    s->quieterRadio->setChecked(true);
    s->shiftPercentEdit->setText("100");
    emit s->shiftPercentEdit->editingFinished();
    s->velocityEdit->setText("90");
    emit s->velocityEdit->editingFinished();
    s->joystickActionBox->setCurrentIndex(6); // joystick 0 left/right with button 1
    s->joystickControllerBox->setCurrentIndex(12); // controller 10
    EXPECT_EQ(w->Instrument().JoystickTable().Code(0, TJoystickAxis::X, 1), 129) << "the main window's table before Apply";
    s->applyButton->click();
    EXPECT_EQ(w->keyboard->State().UpDownController(), 7);
    EXPECT_EQ(w->keyboard->State().LeftRightController(), 129);
    EXPECT_EQ(w->ModulationController(), 11);
    EXPECT_EQ(w->Instrument().MouseWheelController(), 128);
    EXPECT_EQ(w->Instrument().MouseWheelSensitivity, 7);
    EXPECT_EQ(w->keyboard->Language(), TLanguage::German);
    EXPECT_EQ(w->keyboard->State().Velocity(), 90);
    EXPECT_FLOAT_EQ(w->keyboard->State().VelocityShiftFactor(), 0.01f); // 0, kept at the keyboard's least
    EXPECT_EQ(w->Instrument().JoystickTable().Code(0, TJoystickAxis::X, 1), 10);
    // The action list shows each slot's code.
    s->joystickActionBox->setCurrentIndex(0);
    EXPECT_EQ(s->joystickControllerBox->currentText(), "(none)");
    s->joystickActionBox->setCurrentIndex(6);
    EXPECT_EQ(s->joystickControllerBox->currentText(), "010 Pan");
    s->okButton->click();
    QApplication::processEvents();
    EXPECT_EQ(w->Settings().Dialog(), nullptr);
    w->close();
    w.reset();

    // The owners keep them: the next start has them all.
    w = Start();
    EXPECT_EQ(w->keyboard->State().UpDownController(), 7);
    EXPECT_EQ(w->keyboard->State().LeftRightController(), 129);
    EXPECT_EQ(w->ModulationController(), 11);
    EXPECT_EQ(w->Instrument().MouseWheelController(), 128);
    EXPECT_EQ(w->Instrument().MouseWheelSensitivity, 7);
    EXPECT_EQ(w->keyboard->Language(), TLanguage::German);
    EXPECT_EQ(w->keyboard->State().Velocity(), 90);
    EXPECT_EQ(w->Instrument().JoystickTable().Code(0, TJoystickAxis::X, 1), 10);
    s = Open(*w);
    EXPECT_TRUE(s->quieterRadio->isChecked());
    EXPECT_EQ(s->shiftPercentEdit->text(), "99");
    EXPECT_EQ(s->modWheelBox->currentIndex(), 11);
    s->close();
    w->close();
}

TEST_F(SettingsDialogTest, CancelUndoesTheAppearanceBackToTheLastApply) {
    auto w = Start();
    TSettingsDialog* s = Open(*w);
    const int width = w->KeyWidthPosition();
    ASSERT_TRUE(s->oldStyleCheck->isEnabled());
    s->oldStyleCheck->setChecked(true);
    EXPECT_EQ(w->keyboard->PaintStyle(), TPaintStyle::Drawn); // at once
    s->keyWidthSlider->setValue(width + 3);
    s->showArrowsCheck->setChecked(false);
    EXPECT_FALSE(w->ArrowsVisible());
    s->cancelButton->click();
    QApplication::processEvents();
    EXPECT_EQ(w->keyboard->PaintStyle(), TPaintStyle::Image);
    EXPECT_EQ(w->KeyWidthPosition(), width);
    EXPECT_TRUE(w->ArrowsVisible());

    // After Apply, Cancel goes back to the Apply, except for the arrows.
    s = Open(*w);
    s->oldStyleCheck->setChecked(true);
    s->keyWidthSlider->setValue(width + 2);
    s->showArrowsCheck->setChecked(false);
    s->applyButton->click();
    s->oldStyleCheck->setChecked(false);
    s->keyWidthSlider->setValue(width);
    Key(s, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(w->Settings().Dialog(), nullptr);
    EXPECT_EQ(w->keyboard->PaintStyle(), TPaintStyle::Drawn);
    EXPECT_EQ(w->KeyWidthPosition(), width + 2);
    EXPECT_TRUE(w->ArrowsVisible());
    w->close();
}

TEST_F(SettingsDialogTest, NumberEditsClampIgnoreAndRestoreAndKeepEnterAndEscape) {
    auto w = Start();
    TSettingsDialog* s = Open(*w);
    QLineEdit* e = s->velocityEdit;
    e->setFocus();
    for (auto [typed, shown] : std::vector<std::pair<QString, QString>>{{"500", "127"}, {"abc", "127"}, {"-3", "0"}, {"64", "64"}}) {
        e->setText(typed);
        Key(e, Qt::Key_Return); // taken by the edit, not by the default button
        EXPECT_EQ(e->text(), shown) << typed.toStdString();
        EXPECT_TRUE(s->isVisible());
    }
    EXPECT_EQ(s->velocityUpDown->Position(), 64);
    e->setText("12");
    Key(e, Qt::Key_Escape); // the up-down's value comes back; the dialog stays
    EXPECT_EQ(e->text(), "64");
    EXPECT_TRUE(s->isVisible());
    s->shiftPercentEdit->setText("0");
    emit s->shiftPercentEdit->editingFinished();
    EXPECT_EQ(s->shiftPercentEdit->text(), "1");
    s->close();
    w->close();
}

TEST_F(SettingsDialogTest, KeyEditsTakeOnlyACKeyOfTheirManual) {
    auto w = Start();
    TSettingsDialog* s = Open(*w);
    s->upperKeyEdit->setFocus();
    auto press = [](TKeyCaptureEdit* edit, int scanCode) {
        TKeyData d;
        d.scanCode = static_cast<std::uint8_t>(scanCode);
        d.virtualKey = KeyMap::ScanCodeToVirtualKey(d.scanCode, false);
        bool handled = false;
        edit->KeyHandler(d, handled);
    };
    int invalidUpper = 1;
    while (TPianoKeyboard::IsValidUpperCKey(invalidUpper)) ++invalidUpper;
    int validUpper = 17;
    while (!TPianoKeyboard::IsValidUpperCKey(validUpper) || validUpper == 16) ++validUpper;
    s->upperKeyEdit->Clear();
    press(s->upperKeyEdit, invalidUpper);
    EXPECT_EQ(s->upperKeyEdit->Sequence().Count(), 0);
    s->applyButton->click();
    EXPECT_EQ(w->keyboard->UpperCScanCode(), 16) << "no key leaves the code";
    press(s->upperKeyEdit, validUpper);
    EXPECT_EQ(s->upperKeyEdit->Sequence().Count(), 1);
    s->applyButton->click();
    EXPECT_EQ(w->keyboard->UpperCScanCode(), validUpper);
    s->upperDefaultButton->click();
    s->applyButton->click();
    EXPECT_EQ(w->keyboard->UpperCScanCode(), 16);

    // The lower manual takes its own keys only.
    int validLower = 1;
    while (!TPianoKeyboard::IsValidLowerCKey(validLower) || validLower == 44) ++validLower;
    s->lowerKeyEdit->Clear();
    press(s->lowerKeyEdit, validUpper);
    EXPECT_EQ(s->lowerKeyEdit->Sequence().Count(), TPianoKeyboard::IsValidLowerCKey(validUpper) ? 1 : 0);
    s->lowerKeyEdit->Clear();
    press(s->lowerKeyEdit, validLower);
    s->applyButton->click();
    EXPECT_EQ(w->keyboard->LowerCScanCode(), validLower);
    s->close();
    w->close();
    w.reset();
    w = Start();
    EXPECT_EQ(w->keyboard->LowerCScanCode(), validLower);
    w->close();
}

TEST_F(SettingsDialogTest, ControllersSentPickTheCodeInTheFocusedOrPagesCombo) {
    auto w = Start();
    TSettingsDialog* s = Open(*w);
    auto knob = [&](int controller) { w->Instrument().Play({0xB0, static_cast<std::uint8_t>(controller), 10}); };
    auto bend = [&] {
        int value = 1000;
        w->pitchWheel->SetPosition(value);
        w->pitchWheel->OnScroll(w->pitchWheel, value); // the pitch wheel moved by hand
    };

    s->pages->setCurrentWidget(s->controllerPage);
    s->modWheelBox->setFocus();
    w->KnobPanel().KnobRow().AddKnob("Cutoff", 74, 0, 64);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(w->KnobPanel().KnobRow().Knob(1), &down); // the knob turned a step
    ASSERT_FALSE(out.sent.empty());
    EXPECT_EQ(s->modWheelBox->currentIndex(), 74);
    bend(); // no pitch wheel for the modulation wheel
    EXPECT_EQ(s->modWheelBox->currentIndex(), 74);
    s->upDownBox->setFocus();
    bend();
    EXPECT_EQ(s->upDownBox->currentText(), "Pitch Wheel");

    s->pages->setCurrentWidget(s->joystickPage);
    s->joystickActionBox->setFocus();
    s->joystickActionBox->setCurrentIndex(4); // joystick 1 up/down
    s->noAutoChoiceCheck->setChecked(true);
    knob(7);
    EXPECT_EQ(s->joystickControllerBox->currentText(), "(none)");
    s->noAutoChoiceCheck->setChecked(false);
    knob(7);
    EXPECT_EQ(s->joystickControllerBox->currentText(), "007 Channel Volume");
    EXPECT_EQ(s->JoystickTableCopy().Code(1, TJoystickAxis::Y, 0), 7);

    s->pages->setCurrentWidget(s->mouseWheelPage);
    s->sensitivitySlider->setFocus();
    knob(11);
    EXPECT_EQ(s->wheelControllerBox->currentText(), "011 Expression");

    // A received controller teaches too; a hidden dialog learns nothing.
    s->hide();
    knob(12);
    EXPECT_EQ(s->wheelControllerBox->currentText(), "011 Expression");
    s->close();
    w->close();
}

TEST_F(SettingsDialogTest, ClosingTheWindowClosesTheDialogFirst) {
    auto w = Start();
    TSettingsDialog* s = Open(*w);
    s->showArrowsCheck->setChecked(false); // not applied: the close cancels it
    w->close();
    EXPECT_TRUE(w->ArrowsVisible());
    EXPECT_NE(SettingsText().find("\"ShowBasenoteButtons\"=\"1\""), std::string::npos);
}

} // namespace
