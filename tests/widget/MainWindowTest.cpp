#include "mainwindow/FormPlacement.h"
#include "mainwindow/ProgramNames.h"
#include "mainwindow/Tonecast2.h"
#include "platform/FakeMidiDriver.h"
#include "platform/QtServices.h"
#include "platform/RegistryFile.h"

#include "../TempDir.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        InitProgramNames("/usr/bin/tonecast");
        driver.devices = {"Synth"};
        driver.mapperName = "Fendrel's Tonecast";
        SetMidiOutSystem(&driver);
        SetMessageSink([this](const QString& text) { messages.push_back(text.toStdString()); });
        OpenMidiDevices::Clear();
    }
    void TearDown() override {
        SetMessageSink(nullptr);
        SetMidiOutSystem(nullptr);
        ::unsetenv("XDG_CONFIG_HOME");
    }
    std::string RegFile() const { return RegistryFilePath("tonecast"); }
    std::string Root() const { return "HKEY_CURRENT_USER" + RegistryRoot(); }

    TempDir dir;
    FakeMidiOutDriver driver;
    std::vector<std::string> messages;
};

TEST_F(MainWindowTest, StartsInThreeStagesAndOffersTheMapper) {
    TTonecast2 window;
    EXPECT_EQ(window.Stage(), TTonecast2::TStage::Created);
    EXPECT_EQ(window.windowTitle(), "Fendrel's Tonecast");
    EXPECT_TRUE(driver.openHandles.empty());
    window.show();
    EXPECT_EQ(window.Stage(), TTonecast2::TStage::Shown);
    EXPECT_TRUE(driver.openHandles.empty()); // devices open only after the window appeared
    QApplication::processEvents();
    EXPECT_EQ(window.Stage(), TTonecast2::TStage::Running);
    ASSERT_EQ(driver.openHandles.size(), 1u);
    EXPECT_EQ(driver.openHandles.begin()->second, MIDI_MAPPER);
    EXPECT_EQ(window.MidiOutput().DeviceName(), "Fendrel's Tonecast");
    EXPECT_TRUE(messages.empty());
    window.close();
}

TEST_F(MainWindowTest, OutputMessageSendsThenReflects) {
    TTonecast2 window;
    window.show();
    QApplication::processEvents();
    window.OutputMessage(0xB0, 0, 5);
    window.OutputMessage(0xB0, 32, 6);
    window.OutputMessage(0xC0, 12, 0);
    ASSERT_EQ(driver.sent.size(), 3u);
    EXPECT_EQ(driver.sent[2].packed, 0x0CC0u);
    EXPECT_EQ(window.Program(), 12);
    EXPECT_EQ(window.BankMsb(), 5);
    EXPECT_EQ(window.BankLsb(), 6);
    // Only controller 0 before the program: the bank stays, the MSB is forgotten.
    window.ReflectMessage(0xB3, 0, 9);
    window.ReflectMessage(0xC3, 4, 0);
    window.ReflectMessage(0xC3, 5, 0);
    EXPECT_EQ(window.Program(), 5);
    EXPECT_EQ(window.BankMsb(), 5);
    window.close();
}

TEST_F(MainWindowTest, WithoutADeviceNothingIsSent) {
    driver.openResult = MMSYSERR_NODRIVER;
    driver.openGivesHandle = false;
    TTonecast2 window;
    window.show();
    QApplication::processEvents();
    ASSERT_EQ(messages.size(), 1u); // the failed open is shown
    std::string text;
    MidiErrorText(MMSYSERR_NODRIVER, text);
    EXPECT_EQ(messages[0], text);
    window.OutputMessage(0x90, 60, 100);
    window.OutputMessage(0xC0, 7, 0);
    EXPECT_TRUE(driver.sent.empty());
    EXPECT_EQ(window.Program(), 7);
    window.close();
}

TEST_F(MainWindowTest, ClosingSavesThePlacementBeforeThePortCloses) {
    bool savedBeforeClose = false;
    driver.onClose = [&](MidiHandle) {
        TRegistryFileStore store(RegFile(), Root());
        savedBeforeClose = store.ValueExists("KeyboardForm", "Top") &&
                           store.ValueExists("KeyboardForm", "Width");
    };
    {
        TTonecast2 window;
        window.show();
        QApplication::processEvents();
        window.move(123, 77);
        window.resize(700, window.height());
        QApplication::processEvents();
        window.close();
        EXPECT_TRUE(window.MidiOutput().IsClosed());
    }
    EXPECT_TRUE(savedBeforeClose);
    TRegistryFileStore store(RegFile(), Root());
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Width", 0), 700);
    EXPECT_FALSE(store.ReadBool("KeyboardForm", "First Time", true));

    // The next start comes back where this one ended.
    TTonecast2 again;
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.width(), 700);
    EXPECT_EQ(again.x(), 123);
    EXPECT_EQ(again.y(), 77);
    EXPECT_EQ(again.height(), again.DesignHeight());
    again.close();
}

TEST_F(MainWindowTest, FirstStartCentresTheWindow) {
    TTonecast2 window;
    window.show();
    QApplication::processEvents();
    QRect area = WorkArea(&window);
    EXPECT_EQ(window.x(), area.left() + area.width() / 2 - window.width() / 2);
    EXPECT_EQ(window.y(), area.top() + area.height() / 2 - window.height() / 2);
    EXPECT_TRUE(window.FirstTime());
    window.close();
}

class Thrower : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("thrown in a handler");
        return QObject::event(e);
    }
};

TEST_F(MainWindowTest, ExceptionsStopAtTheEventBoundary) {
    Thrower thrower;
    QApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QApplication::processEvents();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "thrown in a handler");
}

} // namespace
