#include "store/ProgramNames.h"
#include "store/RegistryStore.h"

#include "Env.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(ProgramNamesTest, RootIsBuiltFromTheNames) {
    const auto names = TProgramNames::ForExecutable("/opt/tonecast/bin/tonecast");
    EXPECT_EQ(names.Company, "Morwent");
    EXPECT_EQ(names.Program, "Fendrel's Tonecast");
    EXPECT_EQ(names.ExeBaseName, "tonecast");
    EXPECT_EQ(names.RegistryRoot(), "\\Software\\Morwent\\Fendrel's Tonecast\\tonecast");
    EXPECT_EQ(names.ComponentRegPath(), "Morwent\\Fendrel's Tonecast\\tonecast");
    EXPECT_EQ(TProgramNames::ForExecutable("./other.exe").ExeBaseName, "other");
}

TEST(ProgramNamesTest, CopiesWithOtherNamesKeepSeparateSettings) {
    TempDir dir;
    SetEnv("XDG_CONFIG_HOME", dir.Path().string());
    const auto first = TProgramNames::ForExecutable("/x/tonecast");
    const auto live = TProgramNames::ForExecutable("/x/tonecast-live");
    // A registry outlives the test: the copies start without their keys.
    for (const auto* names : {&first, &live}) {
        auto store = names->OpenRegistryStore();
        store->EraseSection("KeyboardForm");
        store->Close();
    }
    {
        auto store = first.OpenRegistryStore();
        store->WriteInteger("KeyboardForm", "Top", 1);
        store->Close();
    }
    {
        auto store = live.OpenRegistryStore();
        EXPECT_EQ(store->ReadInteger("KeyboardForm", "Top", -1), -1);
        store->WriteInteger("KeyboardForm", "Top", 2);
    }
    EXPECT_EQ(first.RegistryFilePath(), (dir.Path() / "Morwent" / "Fendrel's Tonecast" / "tonecast.reg").string());
    auto exists = [&](const std::string& hive, const std::string& path) {
        return RegKeyExists(first.Company, first.Program, hive, path);
    };
    EXPECT_TRUE(exists("HKEY_CURRENT_USER", "\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\KeyboardForm"));
    EXPECT_TRUE(exists("HKEY_CURRENT_USER", "Software\\Morwent\\Fendrel's Tonecast\\tonecast-live\\keyboardform"));
    EXPECT_FALSE(exists("HKEY_CURRENT_USER", "\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\Chords"));
    EXPECT_FALSE(exists("HKEY_CURRENT_USER", "\\Software\\Morwent\\Fendrel's Tonecast\\nocopy\\KeyboardForm"));
    EXPECT_FALSE(exists("HKEY_LOCAL_MACHINE", "\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\KeyboardForm"));
    EXPECT_EQ(first.OpenRegistryStore("\\Software\\Other\\Program\\x"), nullptr);
    UnsetEnv("XDG_CONFIG_HOME");
}

TEST(ProgramNamesTest, VersionTexts) {
    EXPECT_EQ(ShortVersionText("1.2.3.4"), "1.23");
    EXPECT_EQ(BuildText("1.2.3.4"), "4");
    EXPECT_EQ(ShortVersionText("7"), "7");
    EXPECT_EQ(BuildText("7"), "");
    EXPECT_EQ(std::count(FileVersionText().begin(), FileVersionText().end(), '.'), 3);
}

} // namespace
