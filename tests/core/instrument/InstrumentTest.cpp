#include "instrument/Instrument.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string Hex(const char* what, const TShortMessage& m) {
    char text[32];
    std::snprintf(text, sizeof text, "%s %02x %02x %02x", what, m.status, m.data1, m.data2);
    return text;
}

class Told : public TInstrumentListener {
public:
    std::vector<std::string> log;
    void MessageShown(const TShortMessage& m) override { log.push_back(Hex("shown", m)); }
    void MessagePlayed(const TShortMessage& m) override { log.push_back(Hex("played", m)); }
    void ThruReceived(const TShortMessage& m) override { log.push_back(Hex("thru", m)); }
    void NoteReceived(const TShortMessage& m) override { log.push_back(Hex("note", m)); }
    void ProgramBankChanged() override { log.push_back("program"); }
    void SendFailed(const std::string& text) override { log.push_back("failed " + text); }
};

class InstrumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        out.devices = {"Synth"};
        in.devices = {"Keys"};
        instrument.AddListener(&told);
        instrument.Output().SetDeviceID(0);
        instrument.Output().Open();
    }
    std::vector<std::uint32_t> Sent() const {
        std::vector<std::uint32_t> packed;
        for (const auto& s : out.sent) packed.push_back(s.packed);
        return packed;
    }
    FakeMidiOutDriver out;
    FakeMidiInDriver in;
    TInstrument instrument{out, in};
    Told told;
};

TEST_F(InstrumentTest, PlaySendsThenShowsThenTellsItWasPlayed) {
    instrument.Play({0x90, 60, 100});
    EXPECT_EQ(Sent(), (std::vector<std::uint32_t>{0x643C90}));
    EXPECT_EQ(told.log, (std::vector<std::string>{"shown 90 3c 64", "played 90 3c 64"}));
}

// Every listener hears each message, in the order they came; one that
// leaves while being told, and one it takes along, hear nothing more.
TEST_F(InstrumentTest, ListenersAreToldInTurnAndOneThatLeavesHearsNoMore) {
    struct TLeaving : Told {
        TInstrument* instrument = nullptr;
        Told* alsoGone = nullptr;
        void MessagePlayed(const TShortMessage& m) override {
            Told::MessagePlayed(m);
            instrument->RemoveListener(this);
            instrument->RemoveListener(alsoGone);
        }
    };
    TLeaving leaving;
    Told last;
    leaving.instrument = &instrument;
    leaving.alsoGone = &last;
    instrument.AddListener(&leaving);
    instrument.AddListener(&last);
    instrument.Play({0x90, 60, 100});
    EXPECT_EQ(told.log, (std::vector<std::string>{"shown 90 3c 64", "played 90 3c 64"}));
    EXPECT_EQ(leaving.log, told.log);
    EXPECT_EQ(last.log, (std::vector<std::string>{"shown 90 3c 64"})) << "told after it was taken away";
    instrument.Play({0x90, 60, 0});
    EXPECT_EQ(told.log.size(), 4u);
    EXPECT_EQ(leaving.log.size(), 2u);
    EXPECT_EQ(last.log.size(), 1u);
}

// Bank bytes seen before a program change make the bank; the controls hear of it.
TEST_F(InstrumentTest, ShownProgramChangesTakeTheBankBytesSeenBefore) {
    instrument.Show({0xB3, 0, 2});
    instrument.Show({0xB3, 32, 1});
    instrument.Show({0xC3, 41 | 0x80, 0}); // data bytes are masked
    EXPECT_EQ(instrument.ProgramBank().Program(), 41);
    EXPECT_EQ(instrument.ProgramBank().BankMsb(), 2);
    EXPECT_EQ(instrument.ProgramBank().BankLsb(), 1);
    EXPECT_EQ(told.log.back(), "program");
    EXPECT_TRUE(out.sent.empty()); // shown, not sent
}

struct InputCase {
    bool thru;
    std::uint32_t packed;
    std::vector<std::string> told;
    std::vector<std::uint32_t> sent; // what the keyboard's state played on
};

class InstrumentInputTest : public InstrumentTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(InstrumentInputTest, ReceivedMessagesGoThruOrAreShown) {
    const InputCase& c = GetParam();
    instrument.Input().SetDeviceID(0);
    ASSERT_TRUE(instrument.Input().Open());
    instrument.Input().Start();
    ASSERT_TRUE(in.InjectShort(c.packed, 0));
    instrument.ReadInput(c.thru);
    EXPECT_EQ(told.log, c.told);
    EXPECT_EQ(Sent(), c.sent);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, InstrumentInputTest,
    // With thru the instrument plays what arrives into the keyboard's state,
    // which sends it on its own channel (0 here) as a note it plays.
    ::testing::Values(InputCase{true, 0x643C90, {"thru 90 3c 64", "shown 90 3c 64", "played 90 3c 64"}, {0x643C90}},
                      InputCase{false, 0x643C90, {"note 90 3c 64"}, {}},
                      InputCase{false, 0x403C80, {"note 90 3c 00"}, {}}, // a note off is a note on with velocity 0
                      InputCase{true, 0x6407B0,
                                {"thru b0 07 64", "shown b0 07 64", "played b0 07 64", "shown b0 07 64"}, {0x6407B0}},
                      InputCase{false, 0x6407B0, {"shown b0 07 64"}, {}},
                      InputCase{false, 0x0005C0, {"shown c0 05 00", "program"}, {}}));

TEST_F(InstrumentTest, PanicSilencesOneChannelPerStepUntilAllSixteenAreDone) {
    ASSERT_TRUE(instrument.StartPanic());
    EXPECT_FALSE(instrument.StartPanic()); // a press while it runs changes nothing
    std::vector<int> percents;
    for (int percent; (percent = instrument.PanicStep()) >= 0;) percents.push_back(percent);
    ASSERT_EQ(percents.size(), 16u);
    EXPECT_EQ(percents.front(), 6);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_FALSE(instrument.PanicRunning());
    EXPECT_EQ(out.sent.size(), 16u * 130u);
    EXPECT_EQ(out.sent.back().packed, 0x007BBFu); // all notes off, channel 16
}

TEST_F(InstrumentTest, AFailedSendIsToldAndEndsPanic) {
    out.sendError = MidiFailure::Vanished;
    instrument.Play({0x90, 60, 100});
    ASSERT_FALSE(told.log.empty());
    EXPECT_EQ(told.log.front().rfind("failed ", 0), 0u) << told.log.front();
    told.log.clear();
    ASSERT_TRUE(instrument.StartPanic());
    EXPECT_EQ(instrument.PanicStep(), -1);
    EXPECT_FALSE(instrument.PanicRunning());
    ASSERT_EQ(told.log.size(), 1u);
    EXPECT_EQ(told.log.front().rfind("failed ", 0), 0u);
}

} // namespace
