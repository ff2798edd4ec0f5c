// MIDI input through the main window: the input handler, Midi Thru, and
// floods from the driver's own thread.
#include "widgets/PianoKeyboard.h"
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "widgets/QtServices.h"

#include "TempDir.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>

namespace {

using Message = std::tuple<int, int, int>;

class MidiInputFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        out.devices = {"Synth"};
        in.devices = {"Keys"};
        TTonecastApplication::Instance()->MessageSink = [this](const QString& t) { messages.push_back(t.toStdString()); };
        window = std::make_unique<TMainWindow>(TProgramNames::ForExecutable("/usr/bin/tonecast"), out, in);
        window->show();
        QApplication::processEvents();
        ASSERT_TRUE(in.IsOpen());
        out.sent.clear();
    }
    void TearDown() override {
        window->close();
        window.reset();
        TTonecastApplication::Instance()->MessageSink = nullptr;
        ::unsetenv("XDG_CONFIG_HOME");
    }
    void Inject(std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        in.InjectShort(s | (d1 << 8) | (d2 << 16), 0);
    }
    // Runs the event loop until the output holds count messages or a second passed.
    std::vector<Message> Output(std::size_t count = 0) {
        QElapsedTimer t;
        t.start();
        do QApplication::processEvents();
        while (out.sent.size() < count && t.elapsed() < 1000);
        std::vector<Message> m;
        for (auto& s : out.sent) m.emplace_back(s.packed & 0xFF, (s.packed >> 8) & 0xFF, (s.packed >> 16) & 0xFF);
        return m;
    }

    TempDir dir;
    FakeMidiOutDriver out;
    FakeMidiInDriver in;
    std::vector<std::string> messages;
    std::unique_ptr<TMainWindow> window;
};

TEST_F(MidiInputFlowTest, ThruPassesNoteOffsAsNoteOnsOnTheIncomingChannel) {
    window->midiThruItem->setChecked(true);
    Inject(0x93, 60, 90);
    Inject(0x83, 60, 64);
    Inject(0xB5, 7, 100);
    in.InjectLong({0xF0, 0x43, 0x10, 0xF7}, 0);
    Inject(0xF8, 0, 0); // filtered by the port
    EXPECT_EQ(Output(3), (std::vector<Message>{{0x93, 60, 90}, {0x93, 60, 0}, {0xB5, 7, 100}}));
}

TEST_F(MidiInputFlowTest, ThruNotesAreChordedAndTransposedLikePlayedOnes) {
    window->midiThruItem->setChecked(true);
    window->keyboard->State().SetChord(TChord::Fifths);
    window->keyboard->State().SetTranspose(2);
    Inject(0x90, 60, 80);
    EXPECT_EQ(Output(2), (std::vector<Message>{{0x90, 62, 80}, {0x90, 69, 80}}));
}

TEST_F(MidiInputFlowTest, WithoutThruNothingPassesAndTheKeyIsMarked) {
    Inject(0x92, 64, 90);
    Inject(0xB4, 1, 33);
    QApplication::processEvents();
    EXPECT_TRUE(Output().empty());
    EXPECT_EQ(window->keyboard->State().ExternalCount(64), 1);
    EXPECT_EQ(window->StatusText(TStatusPanel::Note), "E3");
    Inject(0x82, 64, 0);
    Output();
    EXPECT_EQ(window->keyboard->State().ExternalCount(64), 0);
}

TEST_F(MidiInputFlowTest, ProgramAndBankArriveFromAnyChannel) {
    Inject(0xB5, 0, 3);
    Inject(0xB5, 32, 4);
    Inject(0xC5, 10, 0);
    Output();
    EXPECT_EQ(window->Instrument().ProgramBank().Program(), 10);
    EXPECT_EQ(window->Instrument().ProgramBank().BankMsb(), 3);
    EXPECT_EQ(window->Instrument().ProgramBank().BankLsb(), 4);
}

TEST_F(MidiInputFlowTest, ClosingTheOutputReleasesNotesFirst) {
    Inject(0x90, 50, 80); // marked only: thru is off
    Output();
    window->keyboard->State().PlayNote(0, 60, 90, true);
    out.sent.clear();
    out.calls.clear();
    window->DeviceMenus().midiOutMenu->SelectNone();
    EXPECT_EQ(Output(), (std::vector<Message>{{0x90, 60, 0}}));
    EXPECT_EQ(out.calls, (std::vector<std::string>{"send", "silence", "close"}));
    EXPECT_EQ(window->keyboard->State().ExternalCount(50), 0);
    EXPECT_EQ(window->StatusText(), "Closed Fake Mapper succesfully.");
}

TEST_F(MidiInputFlowTest, AFloodKeepsTheProgramResponsiveAndLosesNothingUncounted) {
    window->midiThruItem->setChecked(true);
    constexpr std::uint32_t total = 1000000;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (std::uint32_t i = 0; i < total; ++i)
            in.InjectShort(0xB0 | ((i & 0x7F) << 8) | (((i >> 7) & 0x7F) << 16), i);
        done = true;
    });
    // Responsive: no turn of the event loop takes long, however fast input comes.
    qint64 longestTurn = 0;
    QElapsedTimer clock;
    while (!done || window->Instrument().Input().EventCount() > 0) {
        clock.start();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        longestTurn = std::max(longestTurn, clock.elapsed());
    }
    producer.join();
    QApplication::processEvents();
    const std::uint64_t dropped = window->Instrument().Input().DroppedCount();
    EXPECT_EQ(out.sent.size() + dropped, total);
    EXPECT_GT(out.sent.size(), 1000u);
    EXPECT_LT(longestTurn, 250);
    // In order: each delivered controller message follows the one before it.
    std::uint32_t previous = 0;
    bool first = true;
    std::uint64_t skipped = 0;
    for (const auto& s : out.sent) {
        const std::uint32_t seq = ((s.packed >> 8) & 0x7F) | (((s.packed >> 16) & 0x7F) << 7);
        if (!first) skipped += (seq - previous - 1) & 0x3FFF;
        previous = seq;
        first = false;
    }
    EXPECT_LE(skipped, dropped); // gaps are drops (a gap of 16384 or more would hide its own size)
}

TEST_F(MidiInputFlowTest, AHugeSystemExclusiveIsDroppedWithoutHarm) {
    window->midiThruItem->setChecked(true);
    std::vector<std::uint8_t> sysex(1 << 20, 0x22);
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;
    std::thread producer([&] { in.InjectLong(sysex, 0); });
    producer.join();
    Output();
    EXPECT_TRUE(out.sent.empty());
    EXPECT_EQ(window->Instrument().Input().FreeSysexBlocks(), 16); // every block is free again
    Inject(0xB0, 7, 1);
    EXPECT_EQ(Output(1), (std::vector<Message>{{0xB0, 7, 1}}));
}

} // namespace
