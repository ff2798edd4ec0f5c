#include "instrument/KnobList.h"
#include "instrument/ExportImport.h"
#include "store/IniFile.h"
#include "store/MemoryStore.h"

#include <gtest/gtest.h>

namespace {

using namespace ExportImport;

TEST(ExportImportTest, EachCommandHasItsPageFlagAndFileName) {
    struct Case {
        TCommand command;
        int page;
        const char* flag;
        bool asks;
    };
    for (const Case& c : {Case{{Settings, false}, 0, "DontShowExSettings", false},
                          Case{{Chords, false}, 3, "DontShowExChords", false},
                          Case{{Settings, true}, 4, "DontShowImSettings", false},
                          Case{{KnobPresets, true}, 5, "ImKnobPresetsOverwrite", true},
                          Case{{KnobSnapshots, true}, 6, "DontShowImKnobSnapshots", false},
                          Case{{Chords, true}, 7, "ImChordsOverwrite", true}}) {
        EXPECT_EQ(c.command.Page(), c.page);
        EXPECT_STREQ(MainWindowSettings::DialogFlags[c.command.Flag()].name, c.flag);
        EXPECT_EQ(c.command.AsksChoice(), c.asks) << c.page;
    }
    EXPECT_STREQ(DefaultFileName(Settings), "KeyboardSettings.ini");
    EXPECT_STREQ(DefaultFileName(KnobPresets), "KeyboardKnobPresets.ini");
    EXPECT_STREQ(DefaultFileName(KnobSnapshots), "KeyboardSnapshots.ini");
    EXPECT_STREQ(DefaultFileName(Chords), "KeyboardChords.ini");
}

TEST(ExportImportTest, ResultTexts) {
    EXPECT_EQ(ResultText({Settings, false}, 0), "Settings saved successfully.");
    EXPECT_EQ(ResultText({Settings, true}, 0), "Settings loaded successfully.");
    EXPECT_EQ(ResultText({KnobPresets, false}, 3), "3 knob presets saved successfully.");
    EXPECT_EQ(ResultText({KnobPresets, false}, 0), "No knob presets could be saved.");
    EXPECT_EQ(ResultText({KnobPresets, true}, 1), "1 knob presets loaded successfully.");
    EXPECT_EQ(ResultText({KnobSnapshots, false}, 0), "No knob snapshots could be saved.");
    EXPECT_EQ(ResultText({KnobSnapshots, true}, 2), "2 knob snapshots loaded successfully.");
    EXPECT_EQ(ResultText({Chords, false}, 4), "4 custom chords saved successfully.");
    EXPECT_EQ(ResultText({Chords, true}, 0), "No custom chords could be loaded.");
}

void Preset(TIniStore& store, const std::string& section, const std::string& caption) {
    TKnobList list;
    list.Add(caption, 7, 0, 100);
    list.Save(store, section);
}

std::string Caption(TIniStore& store, const std::string& section) {
    TKnobList list;
    list.Load(store, section);
    return list.Count() ? list.Caption(0) : std::string();
}

TEST(ExportImportTest, KnobPresetsOverwrittenFromAFileLeaveExactlyTheFilesOnes) {
    TMemoryStore registry;
    Preset(registry, "KnobPresets\\A", "from A");
    Preset(registry, "KnobPresets\\B", "old B");
    auto file = TIniFileStore::FromText("[B]\r\nCaption1=file B\r\nDisplayMode1=0\r\nDefaultValue1=1\r\nIUser1=7\r\n"
                                        "[C]\r\nCaption1=file C\r\nDisplayMode1=0\r\nDefaultValue1=1\r\nIUser1=7\r\n"
                                        "[default]\r\nCaption1=never\r\n[Current]\r\nCaption1=never\r\n");
    EXPECT_EQ(ImportKnobPresets(file, registry, true).loaded, 2);
    EXPECT_EQ(registry.ReadSubsections("KnobPresets"), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(Caption(registry, "KnobPresets\\B"), "file B");
    EXPECT_EQ(Caption(registry, "KnobPresets\\C"), "file C");
}

TEST(ExportImportTest, KnobPresetsAddedKeepTheOthersAndAnEmptySectionRemovesItsPreset) {
    TMemoryStore registry;
    Preset(registry, "KnobPresets\\A", "from A");
    Preset(registry, "KnobPresets\\KeyboardForm", "odd");
    auto file = TIniFileStore::FromText("[KeyboardForm]\r\nMWCtrl=1\r\n"
                                        "[C]\r\nCaption1=file C\r\nDisplayMode1=0\r\nDefaultValue1=1\r\nIUser1=7\r\n");
    EXPECT_EQ(ImportKnobPresets(file, registry, false).loaded, 2); // the settings section counts too
    EXPECT_EQ(Caption(registry, "KnobPresets\\A"), "from A");
    EXPECT_EQ(Caption(registry, "KnobPresets\\C"), "file C");
    EXPECT_EQ(Caption(registry, "KnobPresets\\KeyboardForm"), "");
}

// Sections whose names no preset can have are skipped and counted, and
// leave every stored preset as it was.
TEST(ExportImportTest, KnobPresetSectionsWithNamesNoKeyCanHoldAreSkipped) {
    TMemoryStore registry;
    Preset(registry, "KnobPresets\\A", "from A");
    Preset(registry, "KnobPresets\\B", "from B");
    const std::string before = registry.Text();
    auto file = TIniFileStore::FromText("[]\r\nCaption1=x\r\n[\\x]\r\nCaption1=x\r\n[y\\]\r\nCaption1=x\r\n"
                                        "[\\]\r\nCaption1=x\r\n");
    const TImportCount count = ImportKnobPresets(file, registry, false);
    EXPECT_EQ(count.loaded, 0);
    EXPECT_EQ(count.skipped, 2); // "", and "y" that the file lists but has no section of
    EXPECT_EQ(registry.Text(), before);
    EXPECT_EQ(ResultText({KnobPresets, true}, count.loaded, count.skipped),
              "No knob presets could be loaded. 2 skipped: a name must not be empty or hold \\, [ or ].");
}

// A key path that names no key of its own would write into or erase its parent.
TEST(ExportImportTest, TheStoreRefusesPathsThatNameNoKeyOfTheirOwn) {
    TMemoryStore registry;
    Preset(registry, "KnobPresets\\A", "from A");
    const std::string before = registry.Text();
    for (const std::string path : {"", "\\", "KnobPresets\\", "KnobPresets\\\\A", "\\\\"}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(registry.EraseSection(path), EStoreError);
        EXPECT_THROW(registry.WriteString(path, "v", "x"), EStoreError);
        EXPECT_THROW(registry.WriteInteger(path, "v", 1), EStoreError);
        EXPECT_THROW(registry.DeleteValue(path, "v"), EStoreError);
    }
    EXPECT_EQ(registry.Text(), before);
    EXPECT_NO_THROW(registry.EraseSection("\\KnobPresets\\A")); // a leading separator is no part
}

TEST(ExportImportTest, KnobPresetsExportedUnderTheirNamesWithoutTheReservedOnes) {
    TMemoryStore registry;
    Preset(registry, "KnobPresets\\Strings", "Attack");
    Preset(registry, "KnobPresets\\Current", "mine");
    Preset(registry, "KnobPresets\\Brass", "Bright");
    auto file = TIniFileStore::FromText("");
    EXPECT_EQ(ExportKnobPresets(registry, file), 2);
    EXPECT_EQ(file.ReadSubsections(""), (std::vector<std::string>{"Strings", "Brass"}));
    EXPECT_EQ(Caption(file, "Brass"), "Bright");
    TMemoryStore none;
    EXPECT_EQ(ExportKnobPresets(none, file), 0);
}

} // namespace
