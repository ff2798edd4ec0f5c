#include "store/RegistryFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>

#include <filesystem>

namespace {

const std::string Root = "HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast";

class RegistryFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.File("tonecast.reg");
};

TEST_F(RegistryFileTest, IntegersAreDwordsBooleansAreStrings) {
    {
        TRegistryFileStore store(file, Root);
        store.WriteInteger("KeyboardForm", "Top", 100);
        store.WriteInteger("KeyboardForm", "Left", -5);
        store.WriteBool("KeyboardForm", "Midi Thru", false);
        store.WriteBool("KeyboardForm", "First Time", true);
        store.WriteString("KeyboardForm", "Path", "C:\\patches\\\"x\".txt");
        store.Close();
    }
    std::string text = ReadFile(file);
    EXPECT_EQ(text, "REGEDIT4\r\n\r\n"
                    "[" + Root + "\\KeyboardForm]\r\n"
                    "\"Top\"=dword:00000064\r\n"
                    "\"Left\"=dword:fffffffb\r\n"
                    "\"Midi Thru\"=\"0\"\r\n"
                    "\"First Time\"=\"1\"\r\n"
                    "\"Path\"=\"C:\\\\patches\\\\\\\"x\\\".txt\"\r\n"
                    "\r\n");
    TRegistryFileStore store(file, Root);
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Top", 0), 100);
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Left", 0), -5);
    EXPECT_FALSE(store.ReadBool("KeyboardForm", "Midi Thru", true));
    EXPECT_TRUE(store.ReadBool("KeyboardForm", "First Time", false));
    EXPECT_EQ(store.ReadString("KeyboardForm", "Path", ""), "C:\\patches\\\"x\".txt");
}

TEST_F(RegistryFileTest, IntegerWrittenByHandAsStringStaysAString) {
    WriteFile(file, "REGEDIT4\n\n[" + Root + "\\KeyboardForm]\n\"Width\"=\"64\"\n\"Bad\"=\"x1\"\n");
    {
        TRegistryFileStore store(file, Root);
        EXPECT_EQ(store.ReadInteger("KeyboardForm", "Width", 0), 64);
        EXPECT_EQ(store.ReadInteger("KeyboardForm", "Bad", 7), 7);
        store.WriteInteger("KeyboardForm", "Width", 500);
        store.Close();
    }
    EXPECT_NE(ReadFile(file).find("\"Width\"=\"500\""), std::string::npos);
    TRegistryFileStore store(file, Root);
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Width", 0), 500);
}

TEST_F(RegistryFileTest, BooleanOverADwordBecomesAString) {
    TRegistryFileStore store(file, Root);
    store.WriteInteger("S", "Flag", 5);
    store.WriteBool("S", "Flag", true);
    store.Close();
    EXPECT_NE(ReadFile(file).find("\"Flag\"=\"1\""), std::string::npos);
}

TEST_F(RegistryFileTest, DefaultsForMissingSectionsValuesAndWrongTypes) {
    WriteFile(file, "REGEDIT4\n\n[" + Root + "\\S]\n\"N\"=dword:0000002a\n\"B\"=hex:01,02\n");
    TRegistryFileStore store(file, Root);
    EXPECT_EQ(store.ReadString("Nope", "X", "def"), "def");
    EXPECT_EQ(store.ReadInteger("Nope", "X", -3), -3);
    EXPECT_TRUE(store.ReadBool("S", "Missing", true));
    EXPECT_EQ(store.ReadString("S", "N", "def"), "def"); // a DWORD is no string
    EXPECT_EQ(store.ReadInteger("S", "n", 0), 42);       // names ignore case
    EXPECT_EQ(store.ReadInteger("S", "B", 9), 9);
    EXPECT_FALSE(store.SectionExists("Nope"));
}

TEST_F(RegistryFileTest, EraseSectionTakesSubkeysDeleteValueListsInOrder) {
    TRegistryFileStore store(file, Root);
    store.WriteString("KnobPresets\\Strings", "Knob1", "a");
    store.WriteString("KnobPresets\\Drums", "Knob1", "b");
    store.WriteString("KnobPresets\\Drums\\Deep", "Knob1", "c");
    store.WriteString("KnobPresets\\strings", "Knob2", "d"); // same key, other spelling
    store.WriteInteger("Other", "B", 1);
    store.WriteInteger("Other", "A", 2);
    store.WriteInteger("Other", "C", 3);
    store.WriteInteger("KnobPresets2", "K", 4); // a name that only starts alike is no subkey
    EXPECT_EQ(store.ReadSubsections("KnobPresets"), (std::vector<std::string>{"Strings", "Drums"}));
    EXPECT_EQ(store.ReadValueNames("KnobPresets\\Strings"), (std::vector<std::string>{"Knob1", "Knob2"}));
    store.DeleteValue("Other", "a");
    store.DeleteValue("Other", "missing");
    store.DeleteValue("Missing", "x");
    EXPECT_EQ(store.ReadValueNames("Other"), (std::vector<std::string>{"B", "C"}));
    store.WriteInteger("Other", "c", 9); // found again after a delete moved it
    EXPECT_EQ(store.ReadInteger("Other", "C", 0), 9);
    EXPECT_EQ(store.ReadValueNames("Other"), (std::vector<std::string>{"B", "C"}));
    store.EraseSection("KnobPresets\\Drums");
    EXPECT_EQ(store.ReadSubsections("KnobPresets"), (std::vector<std::string>{"Strings"}));
    EXPECT_FALSE(store.SectionExists("KnobPresets\\Drums\\Deep"));
    store.EraseSection("KnobPresets");
    EXPECT_FALSE(store.SectionExists("KnobPresets\\Strings"));
    EXPECT_EQ(store.ReadSubsections(""), (std::vector<std::string>{"Other", "KnobPresets2"}));
}

TEST_F(RegistryFileTest, EveryTypeRoundTripsThroughTheFile) {
    std::string other = "[HKEY_CURRENT_USER\\Software\\Elsewhere]\r\n\"Bin\"=hex:00,01,\\\r\n  02,03\r\n"
                        "\"Exp\"=hex(2):25,00\r\n\r\n";
    WriteFile(file, "REGEDIT4\r\n\r\n" + other);
    {
        TRegistryFileStore store(file, Root);
        store.WriteString("S", "Text", "Grüße \"quoted\" back\\slash");
        store.WriteString("S", "Lines", "one\r\ntwo");
        store.WriteString("S", "", "default value");
        store.WriteString("S", "Empty", "");
        store.WriteInteger("S", "Min", INT32_MIN);
        store.WriteInteger("S", "Max", INT32_MAX);
        store.WriteBool("S", "On", true);
        store.Close();
    }
    std::string text = ReadFile(file);
    EXPECT_EQ(text.substr(0, 12 + other.size()), "REGEDIT4\r\n\r\n" + other); // untouched
    TRegistryFileStore store(file, Root);
    EXPECT_EQ(store.ReadString("S", "Text", ""), "Grüße \"quoted\" back\\slash");
    EXPECT_EQ(store.ReadString("S", "Lines", ""), "one\r\ntwo");
    EXPECT_EQ(store.ReadString("S", "", ""), "default value");
    EXPECT_EQ(store.ReadString("S", "Empty", "x"), "");
    EXPECT_EQ(store.ReadInteger("S", "Min", 0), INT32_MIN);
    EXPECT_EQ(store.ReadInteger("S", "Max", 0), INT32_MAX);
    EXPECT_TRUE(store.ReadBool("S", "On", false));
}

TEST_F(RegistryFileTest, UnchangedStoreDoesNotWrite) {
    WriteFile(file, "REGEDIT4\n\n[" + Root + "\\S]\n\"A\"=\"1\"\n");
    {
        TRegistryFileStore store(file, Root);
        store.ReadString("S", "A", "");
    }
    EXPECT_EQ(ReadFile(file), "REGEDIT4\n\n[" + Root + "\\S]\n\"A\"=\"1\"\n");
}

TEST_F(RegistryFileTest, TwoStoresOnOneFileKeepBothChanges) {
    {
        TRegistryFileStore seed(file, Root);
        seed.WriteInteger("KeyboardForm", "Top", 1);
        seed.WriteInteger("KeyboardForm", "Left", 2);
        seed.WriteString("Old", "X", "gone");
    }
    TRegistryFileStore first(file, Root);
    TRegistryFileStore second(file, Root);
    first.WriteInteger("KeyboardForm", "Top", 10);
    first.WriteString("Keyboard", "KeyWidth", "12");
    second.WriteInteger("KeyboardForm", "Left", 20);
    second.EraseSection("Old");
    first.Close();
    second.Close();
    TRegistryFileStore check(file, Root);
    EXPECT_EQ(check.ReadInteger("KeyboardForm", "Top", 0), 10);
    EXPECT_EQ(check.ReadInteger("KeyboardForm", "Left", 0), 20);
    EXPECT_EQ(check.ReadString("Keyboard", "KeyWidth", ""), "12");
    EXPECT_FALSE(check.SectionExists("Old"));
}

class DamagedRegistryFileTest : public RegistryFileTest,
                                public ::testing::WithParamInterface<std::string> {};

TEST_P(DamagedRegistryFileTest, LoadsAsDefaultsAndIsKeptAside) {
    WriteFile(file, GetParam());
    {
        TRegistryFileStore store(file, Root);
        EXPECT_TRUE(store.WasDamaged());
        EXPECT_EQ(store.ReadInteger("KeyboardForm", "Top", -10000), -10000);
        store.WriteInteger("KeyboardForm", "Top", 5);
        store.Close();
    }
    EXPECT_EQ(ReadFile(file + ".bad"), GetParam());
    TRegistryFileStore store(file, Root);
    EXPECT_FALSE(store.WasDamaged());
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Top", 0), 5);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedRegistryFileTest,
                         ::testing::Values("REGED", "garbage\n", "[" + Root + "\\KeyboardForm]\r\n\"Top\"=dword:1\r\n"));

TEST_F(RegistryFileTest, ASecondDamagedFileDoesNotOverwriteTheFirstCopy) {
    WriteFile(file, "first garbage");
    { TRegistryFileStore store(file, Root); }
    WriteFile(file, "second garbage");
    { TRegistryFileStore store(file, Root); }
    EXPECT_EQ(ReadFile(file + ".bad"), "first garbage");
    EXPECT_EQ(ReadFile(file + ".bad.2"), "second garbage");
}

// A settings file kept as a link into a dotfiles folder: the damaged target
// is kept aside beside itself, and the link stays and names the new file.
TEST_F(RegistryFileTest, ADamagedFileBehindALinkIsKeptAsideBesideItsTarget) {
#ifdef _WIN32
    GTEST_SKIP() << "settings files are followed through links on POSIX systems";
#endif
    const std::filesystem::path dotfiles = std::filesystem::path(file).parent_path() / "dotfiles";
    std::filesystem::create_directories(dotfiles);
    const std::string target = (dotfiles / "tonecast.reg").string();
    WriteFile(target, "garbage");
    std::filesystem::remove(file);
    std::filesystem::create_symlink(std::filesystem::relative(target, std::filesystem::path(file).parent_path()), file);
    {
        TRegistryFileStore store(file, Root);
        EXPECT_TRUE(store.WasDamaged());
        store.WriteInteger("KeyboardForm", "Top", 5);
        store.Close();
    }
    EXPECT_TRUE(std::filesystem::is_symlink(file)) << "the link was replaced";
    EXPECT_EQ(ReadFile(target + ".bad"), "garbage");
    EXPECT_FALSE(std::filesystem::exists(file + ".bad")) << "kept aside beside the link, not the target";
    EXPECT_EQ(TRegistryFileStore(target, Root).ReadInteger("KeyboardForm", "Top", 0), 5);
}

TEST_F(RegistryFileTest, ALastLineWithoutItsLineBreakIsRead) {
    WriteFile(file, "REGEDIT4\r\n\r\n[" + Root + "\\KeyboardForm]\r\n\"Left\"=dword:00000007\r\n\"Top\"=dword:00000005");
    TRegistryFileStore store(file, Root);
    EXPECT_FALSE(store.WasDamaged());
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Left", 0), 7);
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Top", 0), 5);
    EXPECT_FALSE(std::filesystem::exists(file + ".bad"));
}

struct TOddLine {
    const char* line;
};

class OddLineTest : public RegistryFileTest, public ::testing::WithParamInterface<TOddLine> {};

// One line the reader does not understand costs that line, not the file, and
// the line is still there after the file was written again.
TEST_P(OddLineTest, IsSkippedAndKept) {
    const std::string odd = GetParam().line;
    WriteFile(file, "REGEDIT4\r\n\r\n[" + Root + "\\KeyboardForm]\r\n\"Left\"=dword:00000007\r\n" + odd +
                        "\r\n\"Top\"=dword:00000005\r\n\r\n[" + Root + "\\Keyboard]\r\n\"KeyWidth\"=\"12\"\r\n");
    {
        TRegistryFileStore store(file, Root);
        EXPECT_FALSE(store.WasDamaged());
        EXPECT_EQ(store.ReadInteger("KeyboardForm", "Left", 0), 7);
        EXPECT_EQ(store.ReadString("Keyboard", "KeyWidth", ""), "12");
        store.WriteInteger("KeyboardForm", "Width", 300);
    }
    EXPECT_FALSE(std::filesystem::exists(file + ".bad"));
    const std::string written = ReadFile(file);
    EXPECT_NE(written.find(odd + "\r\n"), std::string::npos) << written;
    TRegistryFileStore again(file, Root);
    EXPECT_EQ(again.ReadInteger("KeyboardForm", "Width", 0), 300);
    EXPECT_EQ(again.ReadString("Keyboard", "KeyWidth", ""), "12");
}

INSTANTIATE_TEST_SUITE_P(Lines, OddLineTest,
                         ::testing::Values(TOddLine{"\"Bad\"=dword:000000000"}, TOddLine{"\"Name\"=\"unterminated"},
                                           TOddLine{"something else"}, TOddLine{"\"Q\"=qword:00"},
                                           TOddLine{"=\"no name\""}));

TEST_F(RegistryFileTest, ValuesBeforeAnyKeyAndBelowABrokenKeyLineAreKept) {
    const std::string text = "REGEDIT4\r\n\"Orphan\"=\"value\"\r\n[" + Root + "\\A]\r\n\"X\"=\"1\"\r\n[" + Root +
                              "\\Broken\r\n\"Y\"=\"2\"\r\n[" + Root + "\\B]\r\n\"Z\"=\"3\"\r\n\"Bin\"=hex:00,01,\\";
    WriteFile(file, text);
    {
        TRegistryFileStore store(file, Root);
        EXPECT_FALSE(store.WasDamaged());
        EXPECT_EQ(store.ReadString("A", "X", ""), "1");
        EXPECT_EQ(store.ReadString("A", "Y", "none"), "none"); // it belonged to the broken key
        EXPECT_EQ(store.ReadString("B", "Z", ""), "3");
        store.WriteString("B", "Z", "4");
    }
    const std::string written = ReadFile(file);
    for (const char* kept : {"\"Orphan\"=\"value\"", "\\Broken", "\"Y\"=\"2\"", "\"Bin\"=hex:00,01,\\"})
        EXPECT_NE(written.find(kept), std::string::npos) << kept;
    TRegistryFileStore again(file, Root);
    EXPECT_EQ(again.ReadString("B", "Z", ""), "4");
}

// A program saves all its values at close; those it did not change must not
// undo what another copy wrote meanwhile, whatever the kind of write.
TEST_F(RegistryFileTest, WritingWhatIsThereLeavesAnotherStoresChange) {
    {
        TRegistryFileStore seed(file, Root);
        seed.WriteInteger("S", "Dword", 1);
        seed.WriteString("S", "Text", "a");
        seed.WriteString("S", "Number", "5"); // an integer kept as text
        seed.WriteString("S", "Kept", "k");
    }
    TRegistryFileStore mine(file, Root);
    TRegistryFileStore other(file, Root);
    other.WriteInteger("S", "Dword", 2);
    other.WriteString("S", "Text", "b");
    other.WriteInteger("S", "Number", 6);
    other.DeleteValue("S", "Kept");
    other.Close();
    mine.WriteInteger("S", "Dword", 1);
    mine.WriteString("S", "Text", "a");
    mine.WriteInteger("S", "Number", 5);
    mine.DeleteValue("S", "Missing");
    mine.EraseSection("NoSuchSection");
    EXPECT_FALSE(mine.Changed());
    mine.WriteInteger("S", "Dword", 3); // a real change still counts
    EXPECT_TRUE(mine.Changed());
    mine.Close();
    TRegistryFileStore check(file, Root);
    EXPECT_EQ(check.ReadInteger("S", "Dword", 0), 3);
    EXPECT_EQ(check.ReadString("S", "Text", ""), "b");
    EXPECT_EQ(check.ReadString("S", "Number", ""), "6");
    EXPECT_FALSE(check.ValueExists("S", "Kept"));
}

// Unreadable lines stay in their place and read the same when written back,
// also a value cut off after its "\" that would run on into the next line.
TEST(RegistryDataTest, UnreadableLinesRoundTripInPlace) {
    for (const std::string& text :
         {std::string("REGEDIT4\r\n\r\n[HKyboardForm]\r\n\"Top\"\xC3\x90=dw\r\n\"Midi Thru\"\r\n\"Bin\"=hex:00,01,\\"),
          std::string("REGEDIT4\n[K]\n\"Bin\"=hex:00,01,\\\n\n\"X\"=\"1\"\n\"odd\"\n\"Y\"=dword:2\n")}) {
        TRegistryData first;
        ASSERT_TRUE(first.Parse(text));
        const std::string written = first.Serialize();
        TRegistryData second;
        ASSERT_TRUE(second.Parse(written));
        EXPECT_EQ(second.Serialize(), written) << written;
    }
    TRegistryData data;
    ASSERT_TRUE(data.Parse("REGEDIT4\n[K]\n\"Bin\"=hex:00,01,\\\n\n\"X\"=\"1\"\n\"odd\"\n\"Y\"=dword:2\n"));
    TRegistryData again;
    ASSERT_TRUE(again.Parse(data.Serialize()));
    TRegKey* key = again.FindKey("K");
    ASSERT_NE(key, nullptr);
    ASSERT_NE(key->Find("X"), nullptr); // not swallowed by the cut-off value before it
    EXPECT_EQ(key->Find("X")->text, "1");
    ASSERT_NE(key->Find("Y"), nullptr);
    EXPECT_EQ(data.Serialize(), "REGEDIT4\r\n\r\n[K]\r\n\"Bin\"=hex:00,01,\\\r\n\r\n\"X\"=\"1\"\r\n\"odd\"\r\n"
                                "\"Y\"=dword:00000002\r\n\r\n");
}

// Each key's values are read when it is first used, from the lines between
// its key line and the next: key lines must be found exactly where reading
// the values in order would find them.
struct KeyLinesCase {
    const char* text;
    std::vector<std::string> keys;   // the keys there, in file order
    const char* key;                 // one of them
    std::vector<std::string> values; // its readable values' names, in order
};

class KeyLinesTest : public ::testing::TestWithParam<KeyLinesCase> {};

TEST_P(KeyLinesTest, AreWhereReadingInOrderFindsThem) {
    const KeyLinesCase& c = GetParam();
    TRegistryData data;
    ASSERT_TRUE(data.Parse(c.text));
    std::vector<std::string> keys;
    for (const std::string& name : data.Subkeys("R")) keys.push_back(name);
    EXPECT_EQ(keys, c.keys);
    TRegKey* key = data.FindKey(std::string("R\\") + c.key);
    ASSERT_NE(key, nullptr);
    std::vector<std::string> values;
    for (const TRegValue& v : key->Values())
        if (v.kind != TRegValue::Kind::Unreadable) values.push_back(v.name);
    EXPECT_EQ(values, c.values);
}

INSTANTIATE_TEST_SUITE_P(
    Files, KeyLinesTest,
    ::testing::Values(
        // A hex value runs on over a line that looks like a key line.
        KeyLinesCase{"REGEDIT4\n[R\\K]\n\"Bin\"=hex:01,\\\n[R\\X]\n\"Y\"=\"1\"\n", {"K"}, "K", {"Bin", "Y"}},
        // So it does inside a deleted key's block, whose lines are all dropped.
        KeyLinesCase{"REGEDIT4\n[R\\K]\n[-R\\D]\n\"Bin\"=hex:01,\\\n[R\\X]\n\"Y\"=\"1\"\n", {"K"}, "K", {}},
        // Below a broken key line nothing runs on: the next key line is one.
        KeyLinesCase{"REGEDIT4\n[R\\K]\n[broken\n\"Bin\"=hex:01,\\\n[R\\X]\n\"Y\"=\"1\"\n", {"K", "X"}, "X", {"Y"}},
        // A key met twice reads both blocks in order; a deletion in the second takes a value of the first.
        KeyLinesCase{"REGEDIT4\n[R\\K]\n\"a\"=\"1\"\n\"b\"=\"1\"\n[R\\L]\n\"x\"=\"2\"\n[R\\K]\n\"a\"=-\n\"c\"=\"3\"\n",
                     {"K", "L"}, "K", {"b", "c"}},
        // A key deleted and made again keeps only what follows.
        KeyLinesCase{"REGEDIT4\n[R\\K]\n\"a\"=\"1\"\n[-R\\K]\n[R\\K]\n\"b\"=\"2\"\n", {"K"}, "K", {"b"}}));

TEST(RegistryDataTest, ParseThenSerializeIsStable) {
    TRegistryData data;
    ASSERT_TRUE(data.Parse("REGEDIT4\n; comment\n[HKEY_CURRENT_USER\\A]\n@=\"d\"\n\"x\"=dword:1\n"
                           "[-HKEY_CURRENT_USER\\B]\n[HKEY_CURRENT_USER\\A\\C]\n\"gone\"=\"1\"\n\"gone\"=-\n"));
    std::string once = data.Serialize();
    TRegistryData again;
    ASSERT_TRUE(again.Parse(once));
    EXPECT_EQ(again.Serialize(), once);
    EXPECT_EQ(once, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n@=\"d\"\r\n\"x\"=dword:00000001\r\n\r\n"
                    "[HKEY_CURRENT_USER\\A\\C]\r\n\r\n");
}

// What Windows' registry editor exports: version 5 in UTF-16 with its byte
// order mark, read as the same keys and values.
TEST(RegistryDataTest, ARegistryEditorExportInUtf16Reads) {
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"
                             "\"Name\"=\"caf\u00E9 \U0001F3B9\"\r\n\"N\"=dword:0000002a\r\n\r\n";
    std::string utf16 = "\xFF\xFE";
    for (std::size_t i = 0; i < text.size();) { // UTF-8 to UTF-16LE, pairs for the keyboard's emoji
        const auto c0 = static_cast<unsigned char>(text[i]);
        const int length = c0 < 0x80 ? 1 : c0 < 0xE0 ? 2 : c0 < 0xF0 ? 3 : 4;
        std::uint32_t c = length == 1 ? c0 : c0 & (0xFF >> (length + 1));
        for (int k = 1; k < length; ++k) c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += static_cast<std::size_t>(length);
        auto unit = [&](std::uint32_t u) { utf16 += static_cast<char>(u & 0xFF), utf16 += static_cast<char>(u >> 8); };
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    TRegistryData data;
    ASSERT_TRUE(data.Parse(utf16));
    TRegKey* key = data.FindKey("HKEY_CURRENT_USER\\A");
    ASSERT_NE(key, nullptr);
    ASSERT_NE(key->Find("Name"), nullptr);
    EXPECT_EQ(key->Find("Name")->text, "caf\u00E9 \U0001F3B9");
    EXPECT_EQ(key->Find("N")->dword, 42u);
}

} // namespace
