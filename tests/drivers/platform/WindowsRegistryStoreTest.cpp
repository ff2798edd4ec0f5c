// The registry backing on Windows (here under Wine): the registry's rules,
// and settings that move between the Linux registry file and the registry
// through the registry editor, both ways.
#include "WindowsRegistryStore.h"
#include "store/RegistryFile.h"
#include "store/RegistryStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace {

const std::string Root = "Software\\Morwent\\Fendrel's Tonecast\\platform-test";

void DeleteKey(const std::string& path) {
    const std::wstring wide(path.begin(), path.end());
    RegDeleteTreeW(HKEY_CURRENT_USER, wide.c_str());
}

class WindowsRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteKey(Root); }
    void TearDown() override { DeleteKey(Root); }
    TWindowsRegistryStore store{Root};
};

TEST_F(WindowsRegistryTest, ValuesKeepTheTypesTheRulesGiveThem) {
    store.WriteInteger("S", "Top", -5);
    store.WriteString("S", "Text", "12");
    store.WriteInteger("S", "Text", 7); // a string of the name stays a string
    store.WriteBool("S", "Flag", true);
    store.WriteString("S", "Name", "caf\u00E9 \"quoted\" C:\\path");
    EXPECT_EQ(store.ReadInteger("S", "Top", 0), -5);
    EXPECT_EQ(store.ReadString("S", "Top", "def"), "def"); // a DWORD is no string
    EXPECT_EQ(store.ReadString("S", "Text", "def"), "7");
    EXPECT_EQ(store.ReadInteger("S", "Text", 0), 7);
    EXPECT_EQ(store.ReadString("S", "Flag", ""), "1");
    EXPECT_TRUE(store.ReadBool("S", "Flag", false));
    EXPECT_EQ(store.ReadString("S", "Name", ""), "caf\u00E9 \"quoted\" C:\\path");
    EXPECT_EQ(store.ReadInteger("S", "Name", 3), 3); // not a number
    EXPECT_EQ(store.ReadString("S", "Missing", "def"), "def");
    EXPECT_TRUE(store.ValueExists("s", "top"));
    store.DeleteValue("S", "Top");
    EXPECT_FALSE(store.ValueExists("S", "Top"));
    auto names = store.ReadValueNames("S"); // in the registry's order, which it does not promise
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Flag", "Name", "Text"}));
}

TEST_F(WindowsRegistryTest, SectionsAreSubkeysAndAnErasureTakesThemAlong) {
    store.WriteString("KnobPresets\\Strings", "Knob1", "7");
    store.WriteString("KnobPresets\\Brass", "Knob1", "8");
    EXPECT_TRUE(store.SectionExists("knobpresets\\STRINGS"));
    auto presets = store.ReadSubsections("KnobPresets");
    std::sort(presets.begin(), presets.end());
    EXPECT_EQ(presets, (std::vector<std::string>{"Brass", "Strings"}));
    store.EraseSection("KnobPresets");
    EXPECT_FALSE(store.SectionExists("KnobPresets\\Strings"));
    EXPECT_TRUE(store.ReadSubsections("KnobPresets").empty());
    for (const char* bad : {"", "\\", "A\\", "A\\\\B"}) EXPECT_THROW(store.WriteString(bad, "x", "1"), EStoreError) << bad;
    EXPECT_TRUE(store.IsRegistry());
}

TEST_F(WindowsRegistryTest, TheProgramsKeysAreTheRegistrysOwn) {
    auto program = OpenRegistryStore("Morwent", "Fendrel's Tonecast", "\\" + Root);
    ASSERT_NE(program, nullptr);
    program->WriteInteger("KeyboardForm", "Top", 1);
    EXPECT_TRUE(RegKeyExists("Morwent", "Fendrel's Tonecast", "HKEY_CURRENT_USER", Root + "\\KeyboardForm"));
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Top", 0), 1);
    EXPECT_EQ(OpenRegistryStore("Morwent", "Fendrel's Tonecast", "\\Software\\Other\\x"), nullptr);
}

// --- between platforms --------------------------------------------------------

int RegistryEditor(const std::string& arguments) { return std::system(("regedit " + arguments).c_str()); }

// Every value of one store reads the same, as string and as integer, in the other.
void ExpectSameValues(TIniStore& from, TIniStore& to, const std::string& section) {
    const auto names = from.ReadValueNames(section);
    EXPECT_EQ(names.size(), to.ReadValueNames(section).size()) << section;
    for (const std::string& name : names) {
        EXPECT_EQ(to.ReadString(section, name, "<none>"), from.ReadString(section, name, "<none>")) << section << "\\" << name;
        EXPECT_EQ(to.ReadInteger(section, name, -999), from.ReadInteger(section, name, -999)) << section << "\\" << name;
    }
    for (const std::string& sub : from.ReadSubsections(section))
        ExpectSameValues(from, to, section.empty() ? sub : section + "\\" + sub);
}

void WriteSettings(TIniStore& s) {
    s.WriteInteger("KeyboardForm", "Top", 100);
    s.WriteInteger("KeyboardForm", "Left", -5);
    s.WriteBool("KeyboardForm", "Midi Thru", false);
    s.WriteString("KeyboardForm", "PatchScript", "C:\\Scripts\\\"My\" synth.txt");
    s.WriteString("KeyboardForm", "Knob Preset", "Default");
    s.WriteString("KnobPresets\\Strings", "Knob1", "Volume,7,0,100");
    s.WriteInteger("KnobPresets\\Strings", "Count", 1);
}

TEST_F(WindowsRegistryTest, ALinuxRegistryFileImportedWithTheEditorReadsTheSame) {
    TempDir dir;
    const std::string file = dir.File("tonecast.reg");
    TRegistryFileStore fileStore(file, "HKEY_CURRENT_USER\\" + Root);
    WriteSettings(fileStore);
    fileStore.Close();
    ASSERT_EQ(RegistryEditor("/S \"" + file + "\""), 0);
    TRegistryFileStore written(file, "HKEY_CURRENT_USER\\" + Root);
    ExpectSameValues(written, store, "");
    EXPECT_EQ(store.ReadInteger("KeyboardForm", "Top", 0), 100);
    EXPECT_EQ(store.ReadString("KeyboardForm", "Top", "dword"), "dword");
}

TEST_F(WindowsRegistryTest, AnEditorExportOfTheRegistryReadsTheSameInTheLinuxStore) {
    TempDir dir;
    WriteSettings(store);
    const std::string file = dir.File("export.reg");
    ASSERT_EQ(RegistryEditor("/E \"" + file + "\" \"HKEY_CURRENT_USER\\" + Root + "\""), 0);
    TRegistryFileStore fileStore(file, "HKEY_CURRENT_USER\\" + Root);
    ExpectSameValues(store, fileStore, "");
    EXPECT_EQ(fileStore.ReadInteger("KeyboardForm", "Left", 0), -5);
    EXPECT_EQ(fileStore.ReadString("KeyboardForm", "PatchScript", ""), "C:\\Scripts\\\"My\" synth.txt");
}

} // namespace
