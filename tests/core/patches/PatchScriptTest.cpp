#include "patches/PatchScriptParser.h"
#include "patches/PatchScriptWriter.h"

#include <gtest/gtest.h>

namespace {

const std::string Header = "[cubase parse file]\n[parser version 1]\n[device name] Dev\n[define patchnames]\n";

struct Loaded {
    std::unique_ptr<TPatchSet> list;
    TWarnings warnings;
    std::string error; // the exception text, empty when the load succeeded
};

Loaded Load(const std::string& text) {
    Loaded r;
    try {
        r.list = LoadPatchScript(text, &r.warnings);
    } catch (const std::exception& e) {
        r.error = e.what();
    }
    return r;
}

TEST(PatchFileTypeTest, LeadingBlanksPassUpperCaseFails) {
    EXPECT_TRUE(LooksLikePatchScript("\t\r\n  \n[cubase parse file]"));
    EXPECT_TRUE(LooksLikePatchScript("[ \t c"));
    EXPECT_FALSE(LooksLikePatchScript("[Cubase parse file]"));
    EXPECT_FALSE(LooksLikePatchScript("x[cubase parse file]"));
    EXPECT_FALSE(LooksLikePatchScript(""));
    EXPECT_FALSE(LooksLikePatchScript("\v[cubase"));
    // Only the first 512 bytes count.
    EXPECT_EQ(Load(std::string(512, ' ') + "[cubase parse file]").error,
              "Script is not a Cubase Parse File.");
    EXPECT_TRUE(Load("\t\n\n" + Header + "[end]").error.empty());
}

struct ErrorCase {
    std::string text;
    std::string error;
};

class PatchScriptErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(PatchScriptErrorTest, FailsWithTheExactText) {
    Loaded r = Load(GetParam().text);
    EXPECT_EQ(r.error, GetParam().error) << GetParam().text;
    EXPECT_EQ(r.list, nullptr);
    if (GetParam().error.rfind("Line ", 0) == 0) {
        ASSERT_FALSE(r.warnings.empty());
        EXPECT_EQ(r.warnings.back(), GetParam().error); // errors are listed too
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatchScriptErrorTest,
    ::testing::Values(
        ErrorCase{"[cubase parse file]\n[parser version 2]\n", "Line 2: Error: Wrong version number."},
        ErrorCase{"[cubase parse file]\n[parser]\n", "Line 2: Error: Version Number not found."},
        ErrorCase{"[cubase parse file]\n[parser version]\n", "Line 2: Error: Number expected."},
        ErrorCase{"[cubase parse file]\n", "Line 1: Error: Premature end of Cubase Parse File."},
        ErrorCase{"[c\n", "Line 1: Error: Empty patch script file."},
        ErrorCase{"[cubase]\n[parser version 1]\n", "Line 1: Error: Script is not a Cubase Parse File."},
        ErrorCase{"[cubase parse file]\n[parser version 1]\n[device name] X\n[end]\n",
                  "No \"define patchnames\" section !"},
        ErrorCase{Header + "[mode] M\n[p2, 0, 0] Name\n",
                  "Line 6: Error: Sub group does not exist. Lower the level."},
        ErrorCase{Header + "[mode] M\n[g2] Deep\n", "Line 6: Error: Sub group does not exist. Lower the level."},
        ErrorCase{Header + "[p1, 0, 0] Name\n", "Line 5: Error: Sub group does not exist. Lower the level."},
        ErrorCase{Header + "[k 36] Kick\n", "Line 5: Error: No program defined for key."},
        ErrorCase{Header + "[mode] M\n[g1] G\n[k 36] Kick\n", "Line 7: Error: No program defined for key."},
        ErrorCase{Header + "[mode] M\n[p1, 0, 0] P\n[k 128] X\n", "Line 7: Error: Key out of bounds (0..127)"},
        ErrorCase{Header + "[mode 17] X\n", "Line 5: Error: Midi channel out of bounds."},
        ErrorCase{Header + "[mode -1] X\n", "Line 5: Error: Midi channel out of bounds."},
        ErrorCase{Header + "[mode -] X\n", "Line 5: Error: Number expected."},
        ErrorCase{Header + "[mode] M\n[p1 0, 0] P\n", "Line 6: Error: Syntax error."},
        ErrorCase{Header + "[mode] M\n[p1, 0 0] P\n", "Line 6: Error: Syntax error."},
        ErrorCase{Header + "[mode] M\n[p1, x, 0] P\n", "Line 6: Error: Number expected."},
        ErrorCase{Header + "[mode] M\n[p1, 0, 99999999999] P\n", "Line 6: Error: Number expected."},
        ErrorCase{Header + "[mode] M\n[p0, 0, 0] P\n", "Line 6: Error: Syntax error."},
        ErrorCase{Header + "[mode] M\n[px, 0, 0] P\n", "Line 6: Error: Syntax error."},
        ErrorCase{Header + "[mode] M\n[gx] G\n", "Line 6: Error: Syntax error."},
        ErrorCase{Header + "[mode] M\n[p1, 128, 0] P\n", "Line 6: Error: Program number out of bounds (0..127)"},
        ErrorCase{Header + "[mode] M\n[p1, 0, 16384] P\n", "Line 6: Error: Bank number out of bounds (0..16383)"},
        ErrorCase{Header + "[mode] M\n[p1, 0, -2] P\n", "Line 6: Error: Bank number out of bounds (0..16383)"},
        ErrorCase{Header + "[mode] M\n[p1, 0, 128, 0] P\n", "Line 6: Error: MSB out of bounds (-1..127)"},
        ErrorCase{Header + "[mode] M\n[p1, 0, 0, -2] P\n", "Line 6: Error: LSB out of bounds (-1..127)"},
        ErrorCase{Header + "[mode] M\n[p1, 0, 128, 128] P\n", "Line 6: Error: MSB out of bounds (-1..127)"},
        ErrorCase{"[cubase parse file]\n[parser version 1]\n[bank: do swap value bytes]\n[define patchnames]\n"
                  "[mode] M\n[p1, 0, 128, 0] P\n",
                  "Line 6: Error: LSB out of bounds (-1..127)"},
        ErrorCase{Header + "[mode]\n", "Line 5: Error: Name is missing."},
        ErrorCase{Header + "[mode] M\n[g1]\n", "Line 6: Error: Name is missing."}));

TEST(PatchScriptTest, ErrorsCountBlankCommentAndOtherLines) {
    std::string text = "\n[cubase parse file]\r\n\r\n[parser version 1.00]\r\n[comment] about\r\n"
                       "just text\r\n\t \r\n[define patchnames]\r\n[mode] M\r\n; not a command\r\n"
                       "\r\n[p1, 300, 0] P\r\n";
    Loaded r = Load(text);
    EXPECT_EQ(r.error, "Line 12: Error: Program number out of bounds (0..127)");
    EXPECT_EQ(r.warnings, (TWarnings{"Line 6: Warning: Syntax error.", "Line 10: Warning: Syntax error.",
                                     "Line 12: Error: Program number out of bounds (0..127)"}));
}

TEST(PatchScriptTest, CrOnlyLineEndsCountLines) {
    Loaded r = Load("[cubase parse file]\r[parser version 1]\r\r[define patchnames]\r[k 1] X\r");
    EXPECT_EQ(r.error, "Line 5: Error: No program defined for key.");
}

struct BankCase {
    std::string header;
    std::string values;
    std::int32_t msb, lsb;
};

class PatchBankTest : public ::testing::TestWithParam<BankCase> {};

TEST_P(PatchBankTest, BanksGiveMsbAndLsb) {
    Loaded r = Load("[cubase parse file]\n[parser version 1]\n" + GetParam().header +
                    "[define patchnames]\n[mode] M\n[p1, 5" + GetParam().values + "] Name\n[end]\n");
    ASSERT_EQ(r.error, "");
    const TPatchProgram* p = r.list->Mode(0)->Program(0);
    EXPECT_EQ(p->Program(), 5);
    EXPECT_EQ(p->MSB(), GetParam().msb);
    EXPECT_EQ(p->LSB(), GetParam().lsb);
}

const std::string Swap = "[bank: do swap value bytes]\n";

INSTANTIATE_TEST_SUITE_P(Values, PatchBankTest,
                         ::testing::Values(BankCase{"", ", 128", 1, 0}, BankCase{"", ", -1", -1, -1},
                                           BankCase{"", ", 0", 0, 0}, BankCase{"", ",  16383", 127, 127},
                                           BankCase{"", ", 3, 5", 3, 5}, BankCase{Swap, ", 3, 5", 5, 3},
                                           BankCase{Swap + "[bank: don't swap value bytes]\n", ", 3, 5", 3, 5},
                                           BankCase{"", " ,0 ,  -1", 0, -1}, BankCase{"", ", 0,126", 0, 126},
                                           BankCase{Swap, ", 16128", 126, 0}));

TEST(PatchScriptTest, HeaderValuesFlagsAndTheirWarnings) {
    Loaded r = Load("[cubase parse file]\n[parser version 0001]\n[creators first name]Ann\n"
                    "[creators last name]  Lee \n[device manufacturer] Maker\n[device name]\tDev\n"
                    "[script name] Script\n[script version] 2.1\n[bank: do send msb first]\n"
                    "[bank: do send only one byte]\n[bank: do send as program change]\n[something] x\n"
                    "[define patchnames]\n[end]\n");
    ASSERT_EQ(r.error, "");
    const TPatchSet& l = *r.list;
    EXPECT_EQ(l.CreatorFirstName, "Ann");
    EXPECT_EQ(l.CreatorLastName, "Lee");
    EXPECT_EQ(l.DeviceManufacturer, "Maker");
    EXPECT_EQ(l.DeviceName, "Dev");
    EXPECT_EQ(l.ScriptName, "Script");
    EXPECT_EQ(l.ScriptVersion, "2.1");
    EXPECT_TRUE(l.SendMsbFirst);
    EXPECT_TRUE(l.SendOnlyOneByte);
    EXPECT_TRUE(l.SendAsProgramChange);
    EXPECT_FALSE(l.SwapValueBytes);
    EXPECT_EQ(r.warnings,
              (TWarnings{"Line 10: Warning: Function [bank: do send only one byte] is not implemented and ignored.",
                         "Line 11: Warning: Function [bank: do send as program change] is not implemented and ignored.",
                         "Line 12: Warning: Unknown command \"something\" is ignored."}));
}

TEST(PatchScriptTest, HeaderLoadStopsAtThePatchSection) {
    auto list = LoadPatchScriptHeader(Header + "[p9] broken\n");
    EXPECT_EQ(list->DeviceName, "Dev");
    EXPECT_EQ(list->ModeCount(), 0u);
    EXPECT_THROW(LoadPatchScriptHeader("[cubase parse file]\n[parser version 1]\n"), std::runtime_error);
}

TEST(PatchScriptTest, GroupBeforeAnyModeMakesAModeNamedAfterTheDevice) {
    Loaded r = Load(Header + "[g1] Pianos\n[p2, 0, 0] Grand\n[p1, 1, 0] Direct\n[end]\n");
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.list->ModeCount(), 1u);
    const TPatchModeGroup* mode = r.list->Mode(0);
    EXPECT_EQ(mode->Name(), "Dev");
    EXPECT_TRUE(mode->IsMode());
    EXPECT_EQ(mode->MidiChannel(), -1);
    EXPECT_EQ(mode->Group(0)->Name(), "Pianos");
    EXPECT_EQ(mode->Group(0)->Program(0)->Path(), "Dev\\Pianos\\Grand");
    EXPECT_EQ(mode->Program(0)->Name(), "Direct");
}

TEST(PatchScriptTest, ModeChannels) {
    Loaded r = Load(Header + "[mode 0] A\n[mode 10] B\n[mode16] C\n[mode] D\n[end]\n");
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.list->Mode(0)->MidiChannel(), -1);
    EXPECT_EQ(r.list->Mode(1)->MidiChannel(), 9);
    EXPECT_EQ(r.list->Mode(2)->MidiChannel(), 15);
    EXPECT_EQ(r.list->Mode(3)->MidiChannel(), -1);
}

TEST(PatchScriptTest, WarningsThatKeepTheLoadGoing) {
    Loaded r = Load(Header + "[mode] M\n[sorted]\n[p1, 0, 0 extra] Name\n[k 36 x] Kick\n[mode 2 y] N\n"
                    "[g1 z] G\n[sorted by name]\n[x] short\n[unknown] U\n[] not a command\n[ ] skipped\n"
                    "[Program] P\n");
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.warnings, (TWarnings{"Line 6: Warning: No group defined for sorted property. Ignored.",
                                     "Line 7: Warning: Ignoring remaining \"extra\" in command.",
                                     "Line 8: Warning: Ignoring remaining \"x\" in command.",
                                     "Line 9: Warning: Ignoring remaining \"y\" in command.",
                                     "Line 10: Warning: Ignoring remaining \"z\" in command.",
                                     "Line 11: Warning: Ignoring remaining \"by name\" in command.",
                                     "Line 12: Warning: Unknown command \"x\" is ignored.",
                                     "Line 13: Warning: Unknown command \"unknown\" is ignored.",
                                     "Line 14: Warning: Syntax error.",
                                     "Line 16: Warning: Unknown command \"Program\" is ignored.",
                                     "Line 16: Warning: [end] command not found."}));
    const TPatchModeGroup* m = r.list->Mode(0);
    EXPECT_FALSE(m->Sorted());
    EXPECT_EQ(m->Program(0)->Name(), "Name");
    EXPECT_EQ((*m->Program(0)->KeyNames())[36], "Kick");
    EXPECT_EQ((*m->Program(0)->KeyNames())[35], "");
    EXPECT_TRUE(r.list->Mode(1)->Group(0)->Sorted());
}

TEST(PatchScriptTest, AnyCommandBeginningWithEndEndsTheScript) {
    Loaded r = Load(Header + "[mode] M\n[endless]\n[p9, broken\n");
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.list->ModeCount(), 1u);
}

TEST(PatchScriptTest, LevelsKeepDeeperGroupsUntilAModeLine) {
    Loaded r = Load(Header + "[mode] M\n[g1] A\n[g2] A1\n[g1] B\n[p3, 1, 0] InA1\n[p2, 2, 0] InB\n"
                    "[mode] N\n[p3, 0, 0] Gone\n");
    EXPECT_EQ(r.error, "Line 12: Error: Sub group does not exist. Lower the level.");
    Loaded ok = Load(Header + "[mode] M\n[g1] A\n[g2] A1\n[g1] B\n[p3, 1, 0] InA1\n[p2, 2, 0] InB\n[end]\n");
    ASSERT_EQ(ok.error, "");
    const TPatchModeGroup* m = ok.list->Mode(0);
    EXPECT_EQ(m->Group(0)->Group(0)->Program(0)->Name(), "InA1");
    EXPECT_EQ(m->Group(1)->Program(0)->Name(), "InB");
}

TEST(PatchScriptTest, MissingEndLoadsCompletelyWithAWarning) {
    Loaded r = Load(Header + "[mode] M\n[p1, 0, 0] Last");
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.list->Mode(0)->ProgramCount(), 1u);
    EXPECT_EQ(r.warnings, (TWarnings{"Line 6: Warning: [end] command not found."}));
}

TEST(PatchScriptTest, SortsOnlyMarkedGroupsRecursivelyModesKeepOrder) {
    Loaded r = Load(Header + "[mode] Zed\n[g1] Sorted\n[sorted]\n[p2, 0, 0] beta\n[p2, 1, 0] Alpha\n"
                    "[p2, 2, 0] gamma\n[g2] y\n[g2] X\n[g3] inner\n[p4, 3, 0] b\n[p4, 4, 0] a\n[g1] Plain\n"
                    "[p2, 5, 0] z\n[p2, 6, 0] a\n[g2] Deep\n[sorted]\n[p3, 7, 0] 2\n[p3, 8, 0] 1\n[mode] Alpha\n[end]\n");
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.list->Mode(0)->Name(), "Zed");
    EXPECT_EQ(r.list->Mode(1)->Name(), "Alpha");
    const TPatchModeGroup* sorted = r.list->Mode(0)->Group(0);
    EXPECT_EQ(sorted->Program(0)->Name(), "Alpha");
    EXPECT_EQ(sorted->Program(1)->Name(), "beta");
    EXPECT_EQ(sorted->Program(2)->Name(), "gamma");
    EXPECT_EQ(sorted->Group(0)->Name(), "X");
    EXPECT_EQ(sorted->Group(1)->Name(), "y");
    EXPECT_EQ(sorted->Group(0)->Group(0)->Program(0)->Name(), "b"); // not marked: file order
    const TPatchModeGroup* plain = r.list->Mode(0)->Group(1);
    EXPECT_EQ(plain->Program(0)->Name(), "z");
    EXPECT_EQ(plain->Group(0)->Program(0)->Name(), "1"); // a marked group inside an unmarked one
}

TEST(PatchScriptTest, FindByPath) {
    Loaded r = Load(Header + "[mode] Voices\n[p1, 0, 0] Top\n[g1] Piano\n[p2, 1, 0] Grand\n[p2, 2, 0] grand\n"
                    "[g2] Electric\n[p3, 3, 0] Rhodes\n[g1] piano\n[p2, 4, 0] Upright\n[mode] voices\n"
                    "[p1, 5, 0] Other\n[end]\n");
    ASSERT_EQ(r.error, "");
    const TPatchSet& l = *r.list;
    auto program = [&](const std::string& path) {
        const TPatchProgram* p = l.FindProgram(path);
        return p ? p->Program() : -1;
    };
    EXPECT_EQ(program("Voices\\Top"), 0);
    EXPECT_EQ(program("VOICES\\PIANO\\GRAND"), 1); // first match
    EXPECT_EQ(program("voices\\piano\\electric\\rhodes"), 3);
    EXPECT_EQ(program("Voices\\piano\\Upright"), -1); // only the first "piano" is searched
    EXPECT_EQ(program("Voices\\Other"), -1);          // only the first "voices" mode
    EXPECT_EQ(program("Voices"), -1);
    EXPECT_EQ(program("Voices\\\\Top"), -1);
    EXPECT_EQ(program("\\Top"), -1);
    EXPECT_EQ(program(""), -1);
    EXPECT_EQ(program("Voices\\Piano\\Missing"), -1);
    EXPECT_EQ(l.FindProgram("Voices\\Piano\\Electric\\Rhodes")->Path(), "Voices\\Piano\\Electric\\Rhodes");
    EXPECT_EQ(l.FindProgram("Voices\\Piano\\Electric\\Rhodes")->Mode(), l.Mode(0));
}

TEST(PatchScriptTest, IndexOutOfBoundsIsAProgrammingError) {
    Loaded r = Load(Header + "[mode] M\n[end]\n");
    ASSERT_EQ(r.error, "");
    EXPECT_THROW(r.list->Mode(1), std::logic_error);
    EXPECT_THROW(r.list->Mode(0)->Program(0), std::logic_error);
    EXPECT_THROW(r.list->Mode(0)->Group(0), std::logic_error);
}

TEST(PatchScriptTest, WrittenScriptLoadsToTheSameTree) {
    std::string text = "[cubase parse file]\n[parser version 1]\n[bank: do swap value bytes]\n"
                       "[define patchnames]\n[g1] First\n[p2, 1, 2, 3] P\n[k 0] Zero\n[k 127] Top\n"
                       "[p1, 4, 5, -1] InMode\n[mode 10] Drums\n[g1] Kits\n[sorted]\n[p2, 0, 0] b\n[p2, 0, 1] a\n[end]\n";
    Loaded r = Load(text);
    ASSERT_EQ(r.error, "");
    Loaded again = Load(WritePatchScript(*r.list));
    ASSERT_EQ(again.error, "");
    EXPECT_TRUE(SamePatchTree(*r.list, *again.list)) << WritePatchScript(*r.list);
    EXPECT_EQ(r.list->Mode(0)->Name(), "");
}

} // namespace
