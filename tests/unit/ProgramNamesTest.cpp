#include "mainwindow/ProgramNames.h"
#include "platform/RegistryFile.h"

#include "../TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(ProgramNamesTest, RootIsBuiltFromTheNames) {
    InitProgramNames("/opt/tonecast/bin/tonecast");
    EXPECT_EQ(CompanyName(), "Morwent");
    EXPECT_EQ(ProgramName(), "Fendrel's Tonecast");
    EXPECT_EQ(ExeBaseName(), "tonecast");
    EXPECT_EQ(RegistryRoot(), "\\Software\\Morwent\\Fendrel's Tonecast\\tonecast");
    EXPECT_EQ(ComponentRegPath(), "Morwent\\Fendrel's Tonecast\\tonecast");
    InitProgramNames("./other.exe");
    EXPECT_EQ(ExeBaseName(), "other");
    InitProgramNames("tonecast");
}

TEST(ProgramNamesTest, CopiesWithOtherNamesKeepSeparateSettings) {
    TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    InitProgramNames("/x/tonecast");
    {
        auto store = OpenRegistryStore();
        store->WriteInteger("KeyboardForm", "Top", 1);
        store->Close();
    }
    InitProgramNames("/x/tonecast-live");
    {
        auto store = OpenRegistryStore();
        EXPECT_EQ(store->ReadInteger("KeyboardForm", "Top", -1), -1);
        store->WriteInteger("KeyboardForm", "Top", 2);
    }
    EXPECT_EQ(RegistryFilePath("tonecast"),
              (dir.Path() / "Morwent" / "Fendrel's Tonecast" / "tonecast.reg").string());
    EXPECT_TRUE(RegKeyExists("HKEY_CURRENT_USER",
                             "\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\KeyboardForm"));
    EXPECT_TRUE(RegKeyExists("HKEY_CURRENT_USER",
                             "Software\\Morwent\\Fendrel's Tonecast\\tonecast-live\\keyboardform"));
    EXPECT_FALSE(RegKeyExists("HKEY_CURRENT_USER",
                              "\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\Chords"));
    EXPECT_FALSE(RegKeyExists("HKEY_CURRENT_USER",
                              "\\Software\\Morwent\\Fendrel's Tonecast\\nocopy\\KeyboardForm"));
    InitProgramNames("tonecast");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(ProgramNamesTest, VersionTexts) {
    EXPECT_EQ(ShortVersionText("1.2.3.4"), "1.23");
    EXPECT_EQ(BuildText("1.2.3.4"), "4");
    EXPECT_EQ(ShortVersionText("7"), "7");
    EXPECT_EQ(BuildText("7"), "");
    EXPECT_EQ(std::count(FileVersionText().begin(), FileVersionText().end(), '.'), 3);
}

} // namespace
