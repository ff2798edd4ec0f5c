// Character sets of patch scripts, and names compared without regard to case
// in any locale.
#include "patches/PatchScriptParser.h"
#include "patches/PatchScriptText.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>


namespace {

std::string Script(const std::string& device, const std::string& name) {
    return "[cubase parse file]\r\n[parser version 0001]\r\n[device name] " + device +
           "\r\n[define patchnames]\r\n[mode] Voices\r\n[g1] Bells\r\n[p2, 9, 0] " + name + "\r\n[end]\r\n";
}

TEST(PatchScriptTextTest, AWindows1252ScriptReachesTheProgramAsUtf8) {
    auto list = LoadPatchScript(Script("Sp\xE4th", "Gl\xF6" "ckchen \x80"), nullptr);
    EXPECT_EQ(list->DeviceName, "Sp\xC3\xA4th");
    const TPatchProgram* p = list->FindProgram("voices\\BELLS\\GL\xC3\x96" "CKCHEN \xE2\x82\xAC");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Name(), "Gl\xC3\xB6" "ckchen \xE2\x82\xAC");
    EXPECT_EQ(p->Path(), "Voices\\Bells\\Gl\xC3\xB6" "ckchen \xE2\x82\xAC");
}

TEST(PatchScriptTextTest, AUtf8ScriptWithAByteOrderMarkPassesTheTypeTest) {
    auto list = LoadPatchScript("\xEF\xBB\xBF" + Script("Sp\xC3\xA4th", "Gl\xC3\xB6" "ckchen"), nullptr);
    EXPECT_EQ(list->Mode(0)->Group(0)->Program(0)->Name(), "Gl\xC3\xB6" "ckchen");
    EXPECT_EQ(list->DeviceName, "Sp\xC3\xA4th");
    // One byte that is no UTF-8 makes the whole file Windows-1252.
    auto mixed = LoadPatchScript(Script("Sp\xE4th", "Gl\xC3\xB6" "ckchen"), nullptr);
    EXPECT_EQ(mixed->Mode(0)->Group(0)->Program(0)->Name(), "Gl\xC3\x83\xC2\xB6" "ckchen");
    auto header = LoadPatchScriptHeader("\xEF\xBB\xBF" "[cubase parse file]\n[parser version 1]\n[define patchnames]\n");
    EXPECT_EQ(header->ModeCount(), 0u);
}

struct TDecode {
    const char* bytes;
    const char* utf8;
};

class DecodeTest : public ::testing::TestWithParam<TDecode> {};

TEST_P(DecodeTest, Utf8StaysAndWindows1252IsConverted) { EXPECT_EQ(DecodeScriptText(GetParam().bytes), GetParam().utf8); }

INSTANTIATE_TEST_SUITE_P(
    Bytes, DecodeTest,
    ::testing::Values(TDecode{"plain", "plain"}, TDecode{"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
                      TDecode{"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"}, TDecode{"\x80", "\xE2\x82\xAC"},
                      TDecode{"\x81", "\xC2\x81"}, TDecode{"\x9F", "\xC5\xB8"}, TDecode{"\xFF", "\xC3\xBF"},
                      TDecode{"\xEF\xBB\xBFok", "ok"},
                      TDecode{"\xC0\x80", "\xC3\x80\xE2\x82\xAC"},               // overlong
                      TDecode{"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},   // a surrogate
                      TDecode{"\xF0\x9F\x8E\xB9", "\xF0\x9F\x8E\xB9"},           // a four-byte character
                      TDecode{"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"}));             // cut off

TEST(CompareNamesTest, CaseDoesNotCountInAnyLocale) {
    const char* saved = std::setlocale(LC_ALL, nullptr);
    const std::string before = saved ? saved : "C";
    for (const char* locale : {"C", "C.UTF-8", ""}) {
        std::setlocale(LC_ALL, locale);
        EXPECT_EQ(CompareNames("Gl\xC3\xB6" "ckchen", "GL\xC3\x96" "CKCHEN"), 0) << locale;
        EXPECT_EQ(CompareNames("piano", "PIANO"), 0) << locale;
        EXPECT_LT(CompareNames("Organ", "piano"), 0) << locale;
        EXPECT_LT(CompareNames("Pian", "piano"), 0) << locale;
        EXPECT_NE(CompareNames("\xC3\x97", "\xC3\xB7"), 0) << locale; // × and ÷ are no letters
    }
    std::setlocale(LC_ALL, before.c_str());
}

// An index keyed by the folded name finds exactly what SameName matches.
TEST(CompareNamesTest, FoldedNamesAreEqualExactlyWhenTheNamesAreTheSame) {
    const char* names[] = {"piano", "PIANO", "Piano ", "Gl\xC3\xB6" "ckchen", "GL\xC3\x96" "CKCHEN", "\xC3\x97", "\xC3\xB7",
                           "\xC3" "A", "\xC3" "a", "\xC3", "", "New chord 2", "new CHORD 2"};
    for (const char* a : names)
        for (const char* b : names)
            EXPECT_EQ(FoldedName(a) == FoldedName(b), SameName(a, b)) << a << " / " << b;
}

} // namespace
