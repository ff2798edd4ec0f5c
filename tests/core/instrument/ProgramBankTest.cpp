#include "patches/PatchCombo.h"
#include "instrument/ProgramBank.h"

#include "patches/PatchSet.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<TShortMessage>;

TEST(ProgramBankTest, ProgramNoneSendsNothingAndClearsTheBank) {
    TProgramBank state;
    state.Restore(TProgramBank::None, 3, 4);
    EXPECT_TRUE(state.SendProgramAndBank(0).empty());
    EXPECT_EQ(state.BankMsb(), TProgramBank::None);
    EXPECT_EQ(state.BankLsb(), TProgramBank::None);
    state.Restore(-7, 3, 4); // anything below 0 is none
    EXPECT_TRUE(state.SendProgramAndBank(0).empty());
    EXPECT_EQ(state.Program(), TProgramBank::None);
}

TEST(ProgramBankTest, ProgramOneSendsProgramChangeZeroWithoutBankSelect) {
    TProgramBank state;
    state.SetProgram(0);
    EXPECT_EQ(state.SendProgramAndBank(2), (Messages{{0xC2, 0, 0}}));
}

TEST(ProgramBankTest, AByteSetWhileTheBankIsNoneSetsTheOtherToZero) {
    TProgramBank state;
    state.SetProgram(9);
    state.UserBankChange(TProgramBank::Msb, 5);
    EXPECT_EQ(state.BankLsb(), 0);
    EXPECT_EQ(state.BankHint(), "Bank: 640");
    EXPECT_EQ(state.SendProgramAndBank(0), (Messages{{0xB0, 0, 5}, {0xB0, 32, 0}, {0xC0, 9, 0}}));
    state.UserBankChange(TProgramBank::Lsb, 7);
    EXPECT_EQ(state.BankMsb(), 5);
    EXPECT_EQ(state.BankHint(), "Bank: 647");
    for (int which : {TProgramBank::Msb, TProgramBank::Lsb}) {
        state.UserBankChange(TProgramBank::Msb, 1);
        state.UserBankChange(which, TProgramBank::None); // "none" in either field clears both
        EXPECT_FALSE(state.HasBank());
        EXPECT_EQ(state.BankLsb(), TProgramBank::None);
        EXPECT_EQ(state.BankHint(), "");
        EXPECT_EQ(state.SendProgramAndBank(0), (Messages{{0xC0, 9, 0}}));
    }
}

TEST(ProgramBankTest, AHalfSetBankIsCompletedWithZeroBeforeSending) {
    TProgramBank state;
    state.Restore(1, TProgramBank::None, 6); // as a stored file may hold it
    EXPECT_EQ(state.SendProgramAndBank(15), (Messages{{0xBF, 0, 0}, {0xBF, 32, 6}, {0xCF, 1, 0}}));
    EXPECT_EQ(state.BankMsb(), 0);
}

struct PatchCase {
    const char* name;
    int msb, lsb, program;
    bool send;
    bool sends;
    int expectedMsb, expectedLsb;
};

class ApplyPatchTest : public ::testing::TestWithParam<PatchCase> {};

TEST_P(ApplyPatchTest, TakesTheProgramAndBankAndDecidesWhetherToSend) {
    const PatchCase& c = GetParam();
    TPatchSet list;
    TPatchProgram* patch = list.AddMode("Mode", -1)->AddProgram(c.name, c.msb, c.lsb, c.program);
    TProgramBank state;
    state.Restore(40, 2, 2);
    EXPECT_EQ(state.ApplyPatch(*patch, c.send), c.sends);
    EXPECT_EQ(state.Program(), c.program);
    EXPECT_EQ(state.BankMsb(), c.expectedMsb);
    EXPECT_EQ(state.BankLsb(), c.expectedLsb);
}

INSTANTIATE_TEST_SUITE_P(
    Patches, ApplyPatchTest,
    ::testing::Values(PatchCase{"program only", -1, -1, 10, true, true, -1, -1},
                      PatchCase{"program only, not sent", -1, -1, 10, false, false, -1, -1},
                      PatchCase{"msb without lsb", 3, -1, 4, false, true, -1, -1},
                      PatchCase{"lsb without msb", -1, 5, 4, false, true, -1, 5},
                      PatchCase{"full bank", 3, 5, 4, false, true, 3, 5}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(ProgramBankTest, AProgramChangeTakesTheReceivedBankOnlyWhenBothBytesCame) {
    TProgramBank state;
    TReceivedBank received;
    received.Controller(0, 5);
    received.Controller(32, 6);
    received.Controller(7, 100);
    received.ProgramChange(state, 12);
    EXPECT_EQ(state.Program(), 12);
    EXPECT_EQ(state.BankMsb(), 5);
    EXPECT_EQ(state.BankLsb(), 6);

    received.Controller(0, 9); // only the MSB: the program changes, the bank stays
    received.ProgramChange(state, 4);
    EXPECT_EQ(state.Program(), 4);
    EXPECT_EQ(state.BankMsb(), 5);
    received.Controller(32, 1); // the MSB seen before the last program change is forgotten
    received.ProgramChange(state, 5);
    EXPECT_EQ(state.BankMsb(), 5);
    EXPECT_EQ(state.BankLsb(), 6);
}

TEST(PanicTest, SixteenChannelsOfNoteOffsAndTwoControllersWithRoundedProgress) {
    std::vector<TShortMessage> all;
    std::vector<int> percents;
    for (int ch = 0; ch < Panic::Channels; ++ch) {
        const auto messages = Panic::ChannelMessages(ch);
        all.insert(all.end(), messages.begin(), messages.end());
        percents.push_back(Panic::PercentAfter(ch));
    }
    ASSERT_EQ(all.size(), 2080u);
    for (int ch = 0; ch < 16; ++ch) {
        const std::size_t base = static_cast<std::size_t>(ch) * 130;
        for (int n = 0; n < 128; ++n)
            ASSERT_EQ(all[base + static_cast<std::size_t>(n)], (TShortMessage{static_cast<std::uint8_t>(0x90 + ch), static_cast<std::uint8_t>(n), 0}));
        EXPECT_EQ(all[base + 128], (TShortMessage{static_cast<std::uint8_t>(0xB0 + ch), 120, 0}));
        EXPECT_EQ(all[base + 129], (TShortMessage{static_cast<std::uint8_t>(0xB0 + ch), 123, 0}));
    }
    EXPECT_EQ(percents, (std::vector<int>{6, 12, 19, 25, 31, 38, 44, 50, 56, 62, 69, 75, 81, 88, 94, 100}));
}

TEST(PatchComboTest, EntriesAreDepthFirstAndTheMenuMeetsSubgroupsFirst) {
    TPatchSet list;
    TPatchModeGroup* mode = list.AddMode("GM", -1);
    TPatchModeGroup* pianos = mode->AddGroup("Pianos");
    pianos->AddProgram("Grand", -1, -1, 0);
    TPatchModeGroup* electric = pianos->AddGroup("Electric");
    electric->AddProgram("Rhodes", -1, -1, 4);
    pianos->AddProgram("Bright", -1, -1, 1);
    TPatchModeGroup* organs = mode->AddGroup("Organs");
    organs->AddProgram("Drawbar", -1, -1, 16);
    std::vector<std::string> names;
    for (TPatchProgram* p : PatchCombo::Entries(*pianos)) names.push_back(p->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"Grand", "Bright", "Rhodes"}));
    EXPECT_EQ(PatchCombo::FirstInMenuOrder(*mode)->Name(), "Rhodes");
    EXPECT_EQ(PatchCombo::FirstInMenuOrder(*organs)->Name(), "Drawbar");
    TPatchSet empty;
    EXPECT_EQ(PatchCombo::FirstInMenuOrder(*empty.AddMode("Empty", -1)), nullptr);
}

TEST(PatchComboTest, PageKeysWrapOverAllEntries) {
    EXPECT_EQ(PatchCombo::Wrap(3, 1, 4), 0);  // Page Down on the last entry: "(none)"
    EXPECT_EQ(PatchCombo::Wrap(0, -1, 4), 3); // Page Up on "(none)": the last patch
    EXPECT_EQ(PatchCombo::Wrap(1, 1, 4), 2);
    EXPECT_EQ(PatchCombo::Wrap(0, 1, 1), 0);
    EXPECT_EQ(PatchCombo::Wrap(0, -1, 0), 0);
}

} // namespace
