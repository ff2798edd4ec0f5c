#include "dialogs/WindowPlacement.h"
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "widgets/QtServices.h"
#include "store/RegistryFile.h"
#include "widgets/ImageStripControl.h"
#include "widgets/UpDown.h"
#include "widgets/PianoKeyboard.h"

#include "TempDir.h"
#include "SentMessages.h"
#include "WidgetHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStatusBar>
#include <QMenuBar>
#include <QAction>
#include <QToolButton>
#include <QSlider>

#include <cmath>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        driver.devices = {"Synth"};
        driver.mapperName = "Fendrel's Tonecast";
        TTonecastApplication::Instance()->MessageSink = [this](const QString& text) {
            messages.push_back(text.toStdString());
        };
    }
    void TearDown() override {
        TTonecastApplication::Instance()->MessageSink = nullptr;
        ::unsetenv("XDG_CONFIG_HOME");
    }
    std::string RegFile() const { return names.RegistryFilePath(); }
    std::string Root() const { return "HKEY_CURRENT_USER" + names.RegistryRoot(); }

    TempDir dir;
    const TProgramNames names = TProgramNames::ForExecutable("/usr/bin/tonecast");
    FakeMidiOutDriver driver;
    FakeMidiInDriver inDriver;
    std::vector<std::string> messages;
};

TEST_F(MainWindowTest, StartsInThreeStagesAndOffersTheMapper) {
    TMainWindow window(names, driver, inDriver);
    EXPECT_EQ(window.Stage(), TMainWindow::TStage::Created);
    EXPECT_EQ(window.windowTitle(), "Fendrel's Tonecast");
    EXPECT_TRUE(driver.openPorts.empty());
    window.show();
    EXPECT_EQ(window.Stage(), TMainWindow::TStage::Shown);
    EXPECT_TRUE(driver.openPorts.empty()); // devices open only after the window appeared
    EXPECT_EQ(driver.listings, 0) << "the MIDI system was asked before the window was on screen";
    EXPECT_TRUE(driver.calls.empty());
    QApplication::processEvents();
    EXPECT_EQ(window.Stage(), TMainWindow::TStage::Running);
    ASSERT_EQ(driver.openPorts.size(), 1u);
    EXPECT_EQ(driver.openPorts.begin()->second, OwnPortDevice);
    EXPECT_EQ(window.Instrument().Output().DeviceName(), "Fendrel's Tonecast");
    EXPECT_TRUE(messages.empty());
    window.close();
}

TEST_F(MainWindowTest, PlaySendsThenReflects) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    window.Instrument().Play({0xB0, 0, 5});
    window.Instrument().Play({0xB0, 32, 6});
    window.Instrument().Play({0xC0, 12, 0});
    ASSERT_EQ(driver.sent.size(), 3u);
    EXPECT_EQ(driver.sent[2].packed, 0x0CC0u);
    EXPECT_EQ(window.Instrument().ProgramBank().Program(), 12);
    EXPECT_EQ(window.Instrument().ProgramBank().BankMsb(), 5);
    EXPECT_EQ(window.Instrument().ProgramBank().BankLsb(), 6);
    // Only controller 0 before the program: the bank stays, the MSB is forgotten.
    window.Instrument().Show({0xB3, 0, 9});
    window.Instrument().Show({0xC3, 4, 0});
    window.Instrument().Show({0xC3, 5, 0});
    EXPECT_EQ(window.Instrument().ProgramBank().Program(), 5);
    EXPECT_EQ(window.Instrument().ProgramBank().BankMsb(), 5);
    window.close();
}

TEST_F(MainWindowTest, WithoutADeviceNothingIsSent) {
    driver.openError = MidiFailure::NoSystem;
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    ASSERT_EQ(messages.size(), 1u); // the failed open is shown
    EXPECT_EQ(messages[0], MidiFailure::NoSystem);
    window.Instrument().Play({0x90, 60, 100});
    window.Instrument().Play({0xC0, 7, 0});
    EXPECT_TRUE(driver.sent.empty());
    EXPECT_EQ(window.Instrument().ProgramBank().Program(), 7);
    window.close();
}

TEST_F(MainWindowTest, ClosingSavesThePlacementBeforeThePortCloses) {
    bool savedBeforeClose = false;
    driver.onClose = [&](int) {
        TRegistryFileStore store(RegFile(), Root());
        savedBeforeClose = store.ValueExists("KeyboardForm", "Top") &&
                           store.ValueExists("KeyboardForm", "Width");
    };
    {
        TMainWindow window(names, driver, inDriver);
        window.show();
        QApplication::processEvents();
        window.move(123, 77);
        window.resize(700, window.height());
        QApplication::processEvents();
        window.close();
        EXPECT_TRUE(window.Instrument().Output().IsClosed());
    }
    EXPECT_TRUE(savedBeforeClose);
    TRegistryFileStore store(RegFile(), Root());
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Width", 0), 700);
    EXPECT_FALSE(store.ReadBool("KeyboardForm", "First Time", true));

    // The next start comes back where this one ended.
    TMainWindow again(names, driver, inDriver);
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.width(), 700);
    EXPECT_EQ(again.x(), 123);
    EXPECT_EQ(again.y(), 77);
    EXPECT_EQ(again.height(), again.DesignHeight());
    again.close();
}

TEST_F(MainWindowTest, AWindowThatNeverShowedLeavesTheSettingsAlone) {
    {
        TMainWindow window(names, driver, inDriver);
        window.show();
        QApplication::processEvents();
        window.keyboard->State().SetChannel(6);
        window.close();
    }
    const std::string before = ReadFile(RegFile());
    { TMainWindow never(names, driver, inDriver); }
    EXPECT_EQ(ReadFile(RegFile()), before);
}

TEST_F(MainWindowTest, FirstStartCentresTheWindow) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    QRect area = WorkArea(&window);
    EXPECT_EQ(window.x(), area.left() + area.width() / 2 - window.width() / 2);
    EXPECT_EQ(window.y(), area.top() + area.height() / 2 - window.height() / 2);
    EXPECT_TRUE(window.FirstTime());
    window.close();
}

QPoint KeyPoint(TPianoKeyboard* kb, int note) {
    QRect r = kb->KeyRect(note);
    return QPoint(r.left() + kb->KeyWidth() / 2, kb->height() - 5);
}

TEST_F(MainWindowTest, ClickingAKeySendsWithTheChordAndChannelOfTheControls) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.keyboard->PaintStyle(), TPaintStyle::Image);
    EXPECT_EQ(window.keyboard->ImageSize(), TImageSize::Small);
    EXPECT_EQ(window.keyboard->BaseNote(), 36);
    ASSERT_EQ(window.chordBox->count(), 8);
    EXPECT_EQ(window.chordBox->itemText(3), "Major m7");
    emit window.chordBox->activated(1); // Major
    window.channelEdit->setText("3");
    emit window.channelEdit->editingFinished();
    EXPECT_EQ(window.keyboard->State().Channel(), 2);
    EXPECT_EQ(window.channelUpDown->Position(), 3);
    Press(window.keyboard, KeyPoint(window.keyboard, 48));
    Release(window.keyboard, KeyPoint(window.keyboard, 48));
    using M = std::tuple<int, int, int>;
    EXPECT_EQ(SentMessages(driver), (std::vector<M>{{0x92, 48, 100}, {0x92, 52, 100}, {0x92, 55, 100},
                                                    {0x92, 48, 0}, {0x92, 52, 0}, {0x92, 55, 0}}));
    window.close();
}

TEST_F(MainWindowTest, ChannelFieldDropsWhatIsNoChannel) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    for (const char* text : {"abc", "17", "0", ""}) {
        window.channelEdit->setText(text);
        emit window.channelEdit->editingFinished();
        EXPECT_EQ(window.channelEdit->text(), "1") << text;
        EXPECT_EQ(window.keyboard->State().Channel(), 0);
    }
    window.channelEdit->setText("16");
    emit window.channelEdit->editingFinished();
    EXPECT_EQ(window.keyboard->State().Channel(), 15);
    window.channelEdit->setText("9");
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window.channelEdit, &escape);
    EXPECT_EQ(window.channelEdit->text(), "16");
    window.channelUpDown->DownButton()->click();
    EXPECT_EQ(window.keyboard->State().Channel(), 14);
    EXPECT_EQ(window.channelEdit->text(), "15");
    window.close();
}

TEST_F(MainWindowTest, StatusBarShowsBaseNoteAndHoveredNote) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.StatusText(TStatusPanel::BaseNote), "Base: C1");
    Move(window.keyboard, KeyPoint(window.keyboard, 60), Qt::NoButton);
    EXPECT_EQ(window.StatusText(TStatusPanel::Note), "C3");
    window.keyboard->SetBaseNoteWhiteIndex(window.keyboard->BaseNoteWhiteIndex() + 1);
    EXPECT_EQ(window.StatusText(TStatusPanel::BaseNote), "Base: D1");
    const QFontMetrics metrics(window.statusBar()->font());
    EXPECT_GE(window.StatusPanels().Width(TStatusPanel::Note), metrics.horizontalAdvance("WWWWWWWWW"));
    EXPECT_GE(window.StatusPanels().Width(TStatusPanel::Octave), metrics.horizontalAdvance("Octave: 122"));
    window.close();
}

TEST_F(MainWindowTest, KeyboardSettingsSurviveARestart) {
    {
        TMainWindow window(names, driver, inDriver);
        window.show();
        QApplication::processEvents();
        emit window.chordBox->activated(2);
        window.keyboard->State().SetChannel(4);
        window.keyboard->SetBaseNote(50);
        window.close();
    }
    TMainWindow again(names, driver, inDriver);
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.keyboard->State().Chord(), TChord::Minor);
    EXPECT_EQ(again.chordBox->currentIndex(), 2);
    EXPECT_EQ(again.keyboard->State().Channel(), 4);
    EXPECT_EQ(again.channelEdit->text(), "5");
    EXPECT_EQ(again.keyboard->BaseNote(), 50);
    again.close();
}

TEST_F(MainWindowTest, ClosingReleasesSoundingNotesBeforeThePortCloses) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    Press(window.keyboard, KeyPoint(window.keyboard, 60));
    window.keyboard->State().MarkExternalNote(64, 90);
    driver.calls.clear();
    driver.sent.clear();
    window.close();
    using M = std::tuple<int, int, int>;
    EXPECT_EQ(SentMessages(driver), (std::vector<M>{{0x90, 60, 0}}));
    ASSERT_GE(driver.calls.size(), 3u);
    EXPECT_EQ(driver.calls.front(), "send");
    EXPECT_EQ(driver.calls.back(), "close");
}

TEST_F(MainWindowTest, EveryShutdownStepRunsWhenTheDeviceFails) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    Press(window.keyboard, KeyPoint(window.keyboard, 60));
    driver.sendError = MidiFailure::Vanished; // the device went away under the held note
    driver.silenceError = MidiFailure::Vanished;
    testing::internal::CaptureStderr();
    window.close();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(ReadFile(RegFile()).find("\"First Time\"=\"0\""), std::string::npos) << "the settings were not saved";
    EXPECT_TRUE(driver.openPorts.empty()) << "the device was left open";
    EXPECT_TRUE(messages.empty()) << "nothing at exit waits on the user";
    EXPECT_NE(said.find(std::string(": ") + MidiFailure::Vanished + "\n"), std::string::npos) << said;
}

TEST_F(MainWindowTest, ASendThatFailsIsReportedInTheStatusBar) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    driver.sendError = MidiFailure::Busy;
    window.Instrument().Play({0xB0, 1, 100});
    EXPECT_EQ(window.StatusText().toStdString(), MidiFailure::Busy);
    EXPECT_TRUE(messages.empty()); // no box that would take the mouse or key of a held note
    EXPECT_EQ(window.modulationWheel->Position(), 100); // the window still follows
    driver.sendError.clear();
    window.close();
}

TEST_F(MainWindowTest, OnlyTheClientAreaIsBlack) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.centralWidget()->palette().color(QPalette::Window), QColor(Qt::black));
    for (QWidget* w : {static_cast<QWidget*>(window.menuBar()), static_cast<QWidget*>(window.statusBar()),
                       static_cast<QWidget*>(&window)}) {
        const QPalette p = w->palette();
        EXPECT_EQ(p.color(QPalette::Window), QApplication::palette().color(QPalette::Window));
        EXPECT_EQ(p.color(QPalette::WindowText), QApplication::palette().color(QPalette::WindowText));
    }
    window.close();
}

TEST_F(MainWindowTest, TheWidthLimitFollowsTheKeyboard) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    window.keyboard->SetPaintStyle(TPaintStyle::Drawn);
    window.keyboard->SetKeyWidth(6);
    window.UpdateFromKeyboard();
    EXPECT_EQ(window.maximumWidth(), window.MaximumWidth());
    window.resize(2000, window.height());
    EXPECT_EQ(window.width(), 75 * 6 + 5 + window.keyboard->x() + window.rightArrow->width());
    window.close();
}

TEST_F(MainWindowTest, AMaximisedWindowComesBackWhereItStood) {
    QPoint pos;
    QSize size;
    {
        TMainWindow window(names, driver, inDriver);
        window.show();
        QApplication::processEvents();
        window.move(120, 90);
        window.resize(700, window.height());
        pos = window.pos();
        size = window.size();
        window.setWindowState(Qt::WindowMaximized);
        QApplication::processEvents();
        window.close();
    }
    for (int restart = 0; restart < 2; ++restart) {
        TMainWindow again(names, driver, inDriver);
        again.show();
        QApplication::processEvents();
        again.setWindowState(Qt::WindowNoState);
        QApplication::processEvents();
        EXPECT_EQ(again.pos(), pos) << "restart " << restart;
        EXPECT_EQ(again.size(), size) << "restart " << restart;
        again.setWindowState(Qt::WindowMaximized);
        QApplication::processEvents();
        again.close();
    }
}

TEST_F(MainWindowTest, WindowWidthStaysWithinItsLimits) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    const int height = window.height();
    window.resize(50, 900);
    EXPECT_EQ(window.width(), window.MinimumWidth());
    EXPECT_EQ(window.height(), height);
    window.resize(5000, height);
    EXPECT_EQ(window.width(), window.MaximumWidth());
    EXPECT_EQ(window.keyboard->width(), window.keyboard->FullWidth());
    window.close();
}

TEST_F(MainWindowTest, OctaveKeysAndKeyboardCapture) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    EXPECT_EQ(window.StatusText(TStatusPanel::Octave), "Octave: 2");
    EXPECT_TRUE(window.keyboard->CaptureKeyboard());
    QAction* up = nullptr;
    for (QAction* a : window.menuBar()->actions())
        if (a->menu())
            for (QAction* item : a->menu()->actions())
                if (item->text() == "Octave Up") up = item;
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->shortcut(), QKeySequence(Qt::Key_F4));
    up->trigger();
    EXPECT_EQ(window.StatusText(TStatusPanel::Octave), "Octave: 3");
    emit window.DeviceMenus().midiInItem->aboutToShow(); // the menu loop
    EXPECT_FALSE(window.keyboard->CaptureKeyboard());
    emit window.DeviceMenus().midiInItem->aboutToHide();
    EXPECT_TRUE(window.keyboard->CaptureKeyboard());
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::processEvents();
    EXPECT_FALSE(window.keyboard->CaptureKeyboard());
    window.close();
}

class PitchReleaseTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(PitchReleaseTest, ThePitchWheelReturnsInHalvingSteps) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    const int start = GetParam();
    window.pitchWheel->SetPosition(start);
    driver.sent.clear();
    Release(window.pitchWheel, QPoint(10, 30)); // the mouse goes up without Ctrl
    std::vector<int> bends;
    for (const auto& s : driver.sent) {
        ASSERT_EQ(s.packed & 0xF0, 0xE0u);
        bends.push_back(static_cast<int>(((s.packed >> 8) & 0x7F) | (((s.packed >> 16) & 0x7F) << 7)) - 8192);
    }
    std::vector<int> expected = {2000, 1000, 500, 250, 125, 62, 31, 15, 0};
    if (start < 0)
        for (int& v : expected) v = -v;
    EXPECT_EQ(bends, expected);
    EXPECT_EQ(window.pitchWheel->Position(), 0);

    window.pitchWheel->SetPosition(start);
    driver.sent.clear();
    Release(window.pitchWheel, QPoint(10, 30), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(driver.sent.empty());
    EXPECT_EQ(window.pitchWheel->Position(), start);
    window.close();
}

INSTANTIATE_TEST_SUITE_P(Starts, PitchReleaseTest, ::testing::Values(4000, -4000));

TEST_F(MainWindowTest, WheelsSendAndFollowWhatIsSentAndReceived) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    window.keyboard->State().SetChannel(2);
    driver.sent.clear();
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(window.modulationWheel, &end);
    using M = std::tuple<int, int, int>;
    EXPECT_EQ(SentMessages(driver), (std::vector<M>{{0xB2, 1, 127}}));
    // A modulation message moves the wheel, and hold mode starts from it.
    window.Instrument().Show({0xB5, 1, 40});
    EXPECT_EQ(window.modulationWheel->Position(), 40);
    window.Instrument().Show({0xE0, 0, 0x50});
    EXPECT_EQ(window.pitchWheel->Position(), 0x50 * 128 - 8192);
    driver.sent.clear();
    window.keyboard->State().SetLeftRightController(ControllerCode::None);
    QPoint p = KeyPoint(window.keyboard, 60);
    Press(window.keyboard, p, Qt::RightButton);
    Move(window.keyboard, p + QPoint(0, -6), Qt::RightButton);
    Release(window.keyboard, p + QPoint(0, -6), Qt::RightButton);
    bool sawModulation = false;
    for (auto [s, d1, d2] : SentMessages(driver))
        if (s == 0xB2 && d1 == 1) {
            EXPECT_EQ(d2, 42);
            sawModulation = true;
        }
    EXPECT_TRUE(sawModulation);
    EXPECT_EQ(window.modulationWheel->Position(), 42); // what the keyboard sent moved the wheel
    // A double click sets the wheel to 0 and sends it.
    driver.sent.clear();
    SendMouse(window.modulationWheel, QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    Release(window.modulationWheel, QPoint(5, 5));
    EXPECT_EQ(window.modulationWheel->Position(), 0);
    EXPECT_EQ(SentMessages(driver).back(), (M{0xB2, 1, 0}));
    window.close();
}

TEST_F(MainWindowTest, ArrowsScrollTheKeyboardByWhiteKeys) {
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    const int base = window.keyboard->BaseNote();
    Press(window.rightArrow, QPoint(5, 30));
    Release(window.rightArrow, QPoint(5, 30));
    EXPECT_EQ(window.keyboard->BaseNote(), 38);
    Press(window.leftArrow, QPoint(5, 30));
    Release(window.leftArrow, QPoint(5, 30));
    EXPECT_EQ(window.keyboard->BaseNote(), base);
    window.close();
}

TEST_F(MainWindowTest, KeyWidthBarMapsToKeyWidthAndImageSize) {
    TMainWindow window(names, driver, inDriver);
    EXPECT_EQ(window.KeyWidthPosition(), TMainWindow::KeyWidthMin); // small images
    window.SetKeyWidthPosition(10);
    EXPECT_EQ(window.keyboard->ImageSize(), TImageSize::Big);
    EXPECT_EQ(window.keyboard->KeyWidth(), 27);
    window.SetKeyWidthPosition(5);
    EXPECT_EQ(window.keyboard->ImageSize(), TImageSize::Normal);
    window.keyboard->SetPaintStyle(TPaintStyle::Drawn);
    window.SetKeyWidthPosition(6);
    EXPECT_EQ(window.keyboard->KeyWidth(), static_cast<int>(std::lround(std::exp(2.0))) + 6);
    EXPECT_EQ(window.KeyWidthPosition(), 6);
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
