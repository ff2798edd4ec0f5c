// The joystick component on scripted joysticks, and the mouse wheel and
// joysticks driving the main window's controllers.
#include "widgets/ImageStripControl.h"
#include "widgets/KnobRow.h"
#include "widgets/RotaryKnob.h"
#include "widgets/Joystick.h"
#include "widgets/PianoKeyboard.h"
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "fake/FakeJoystickDriver.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "store/RegistryFile.h"

#include "WindowFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using M = std::tuple<int, int, int>;

TJoystickCaps Caps(int periodMin, int periodMax) {
    TJoystickCaps c;
    c.productName = "Stick";
    c.xMax = c.yMax = c.zMax = 65535;
    c.buttonCount = 4;
    c.hasZ = true;
    c.periodMin = periodMin;
    c.periodMax = periodMax;
    return c;
}

TEST(JoystickTest, DeviceEnablingAndThePollingPeriod) {
    FakeJoystickDriver driver;
    TJoystick j(driver);
    j.SetDevice(2);
    EXPECT_EQ(j.Device(), 0);
    j.SetEnabled(true); // nothing attached
    EXPECT_FALSE(j.Enabled());
    EXPECT_EQ(driver.starts, 1);

    driver.caps[0] = Caps(10, 1000);
    j.SetPollFreq(30);
    j.SetPollFreq(0); // ignored
    j.SetEnabled(true);
    ASSERT_TRUE(j.Enabled());
    EXPECT_EQ(j.PollInterval(), 30);
    EXPECT_EQ(j.ProductName(), "Stick");
    EXPECT_EQ(j.ScaleX(0, 0, 127), 0);
    EXPECT_EQ(j.ScaleX(65535, 0, 127), 127);
    j.SetEnabled(false);
    driver.caps[0] = Caps(50, 1000);
    j.SetEnabled(true);
    EXPECT_EQ(j.PollInterval(), 50);

    driver.caps[1].reset();
    j.SetDevice(1); // no capabilities there: zeros, and off
    EXPECT_FALSE(j.Enabled());
    EXPECT_EQ(j.XMax(), 0);
    EXPECT_EQ(j.ProductName(), "");
}

TEST(JoystickTest, ButtonsThenThePositionAndOnlyChanges) {
    FakeJoystickDriver driver;
    driver.caps[0] = Caps(10, 1000);
    driver.positions[0] = {100, 200, 300, 0};
    TJoystick j(driver);
    std::vector<std::string> events;
    j.OnButtonDown = [&](TJoystick*, int b) { events.push_back("down " + std::to_string(b)); };
    j.OnButtonUp = [&](TJoystick*, int b) { events.push_back("up " + std::to_string(b)); };
    j.OnXYMove = [&](TJoystick*, int x, int y, unsigned b) {
        events.push_back("xy " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(b));
    };
    j.OnZMove = [&](TJoystick*, int z, unsigned b) { events.push_back("z " + std::to_string(z) + " " + std::to_string(b)); };
    j.SetEnabled(true);
    j.Poll(); // where it rests: nothing
    j.Poll();
    EXPECT_TRUE(events.empty());
    driver.positions[0].buttons = 0b101;
    j.Poll();
    EXPECT_EQ(events, (std::vector<std::string>{"down 0", "down 2", "xy 100 200 5"}));
    events.clear();
    driver.positions[0] = {100, 250, 300, 0b100};
    j.Poll();
    EXPECT_EQ(events, (std::vector<std::string>{"up 0", "xy 100 250 4"}));
    events.clear();
    driver.positions[0].z = 301;
    j.Poll();
    EXPECT_EQ(events, (std::vector<std::string>{"z 301 4"}));
}

class InputsWindowTest : public WindowFixture {
protected:
    static void Wheel(QWidget* w, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e); // a made event goes to its receiver only: the window's own handler
    }

    FakeJoystickDriver joysticks;
};

// Over the chord box, the patch box or a field without the focus, the wheel
// moves the window's controller; with the focus, the control scrolls.
TEST_F(InputsWindowTest, TheWheelOverAListOrFieldWithoutTheFocusMovesTheController) {
    auto w = Start(&joysticks);
    w->keyboard->setFocus();
    for (QWidget* control : std::initializer_list<QWidget*>{w->chordBox, w->ProgramPanel().patchBox, w->ProgramPanel().programEdit}) {
        SCOPED_TRACE(control->metaObject()->className());
        out.sent.clear();
        const int chord = w->chordBox->currentIndex();
        Wheel(control, -120);
        EXPECT_EQ(w->chordBox->currentIndex(), chord);
        ASSERT_EQ(SentMessages(out).size(), 1u);
        EXPECT_EQ(std::get<0>(SentMessages(out)[0]), 0xB0) << "the wheel did not reach the controller";
    }
    w->chordBox->setFocus();
    out.sent.clear();
    Wheel(w->chordBox, -120);
    EXPECT_EQ(w->chordBox->currentIndex(), 1) << "the focused box does not scroll";
    w->close();
}

TEST_F(InputsWindowTest, TheWheelOverTheWindowMovesItsController) {
    auto w = Start(&joysticks);
    EXPECT_EQ(joysticks.starts, 0) << "the joystick service started though nothing is mapped";
    Wheel(w.get(), 120);
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB0, 1, 8}}));
    EXPECT_EQ(w->modulationWheel->Position(), 8);
    Wheel(w.get(), 120, Qt::ShiftModifier);
    EXPECT_EQ(SentMessages(out).back(), (M{0xB0, 1, 10}));

    // A knob on the wheel's controller moved by hand is where the next step starts.
    w->SetMouseWheelController(7);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(w->KnobPanel().KnobRow().Knob(0), &down); // Volume: 100 to 99
    out.sent.clear();
    Wheel(w.get(), -120);
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB0, 7, 91}}));
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(0)->Position(), 91);

    w->SetMouseWheelController(129);
    out.sent.clear();
    Wheel(w.get(), 120);
    EXPECT_TRUE(out.sent.empty());
    w->close();
    w.reset();
    const std::string settings = SettingsText();
    EXPECT_NE(settings.find("\"MouseWheelController\"=dword:00000081"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"MouseWheelSensitivity\"=dword:00000004"), std::string::npos) << settings;
}

TEST_F(InputsWindowTest, AMappedJoystickIsEnabledAtStartAndDrivesItsControllers) {
    StoreSettings([](TIniStore& store) {
        store.WriteInteger("Joystick", "X10", 7);
        store.WriteInteger("Joystick", "Y12", 128);
    });
    joysticks.caps[1] = Caps(10, 1000);
    joysticks.positions[1] = {32768, 32768, 0, 0};
    auto w = Start(&joysticks);
    EXPECT_FALSE(w->Joysticks().firstJoystick->Enabled());
    ASSERT_TRUE(w->Joysticks().secondJoystick->Enabled());
    EXPECT_EQ(w->Joysticks().secondJoystick->PollInterval(), 30);
    w->Joysticks().secondJoystick->Poll(); // at rest
    EXPECT_TRUE(out.sent.empty());
    joysticks.positions[1].x = 65535;
    w->Joysticks().secondJoystick->Poll();
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB0, 7, 127}}));
    out.sent.clear();
    joysticks.positions[1] = {65535, 0, 0, 0b10}; // button 2 held, Y up: the pitch bend at the top
    w->Joysticks().secondJoystick->Poll();
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xE0, 0x7F, 0x7F}}));
    EXPECT_EQ(w->pitchWheel->Position(), 8191);
    w->close();
    w.reset();
    const std::string settings = SettingsText();
    EXPECT_NE(settings.find("\"Y12\"=dword:00000080"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("\"X00\""), std::string::npos) << settings;
}

} // namespace
