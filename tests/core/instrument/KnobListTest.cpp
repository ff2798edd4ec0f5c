#include "instrument/KnobList.h"

#include "TempDir.h"
#include "store/IniFile.h"
#include "store/MemoryStore.h"
#include "store/RegistryFile.h"

#include <gtest/gtest.h>

namespace {

void StoreKnob(TIniStore& store, const std::string& section, int n, const std::string& caption, int displayMode) {
    const std::string i = std::to_string(n);
    store.WriteString(section, "Caption" + i, caption);
    store.WriteInteger(section, "IUser" + i, n);
    store.WriteInteger(section, "DisplayMode" + i, displayMode);
    store.WriteInteger(section, "DefaultValue" + i, 10 + n);
}

TKnobList ThreeKnobs() {
    TKnobList list;
    list.Add("Volume", 7, 0, 100);
    list.Add("Pan", 10, 1, 64);
    list.Add("Reverb", 91, 0, 40);
    return list;
}

void ExpectSameKnobs(const TKnobList& a, const TKnobList& b) {
    ASSERT_EQ(a.Count(), b.Count());
    for (int i = 0; i < a.Count(); ++i) {
        EXPECT_EQ(a.Caption(i), b.Caption(i));
        EXPECT_EQ(a.Controller(i), b.Controller(i));
        EXPECT_EQ(a.DisplayMode(i), b.DisplayMode(i));
        EXPECT_EQ(a.DefaultValue(i), b.DefaultValue(i));
    }
}

TEST(KnobListTest, AddStopsAtTwentyAndAssignDropsEmptyCaptions) {
    TKnobList list;
    for (int i = 0; i < 25; ++i) list.AddKnob("K" + std::to_string(i), i, 0, 0);
    EXPECT_EQ(list.Count(), TKnobList::MaxCount);
    EXPECT_EQ(list.Caption(19), "K19");

    TKnobList source;
    source.Add("A", 1, 0, 5);
    source.Add("", 2, 0, 6);
    source.Add("C", 3, 1, 7);
    list.Assign(source);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Caption(1), "C");
    EXPECT_EQ(list.Controller(1), 3);
    EXPECT_EQ(list.DisplayMode(1), 1);
    EXPECT_EQ(list.DefaultValue(1), 7);

    list.Delete(0);
    EXPECT_EQ(list.Caption(0), "C");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(KnobListTest, LoadEndsAtTheFirstGap) {
    TMemoryStore store;
    StoreKnob(store, "P", 1, "One", 0);
    StoreKnob(store, "P", 2, "Two", 0);
    StoreKnob(store, "P", 3, "Three", 0);
    store.DeleteValue("P", "DisplayMode2");
    TKnobList list;
    list.Add("old", 1, 0, 0);
    list.Load(store, "P");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Caption(0), "One");
    EXPECT_EQ(list.DefaultValue(0), 11);

    struct Gap {
        const char* name;
        int displayMode;
        const char* caption;
    };
    for (const Gap& gap : {Gap{"mode 128", 128, "Two"}, Gap{"mode -1", -1, "Two"}, Gap{"empty caption", 0, ""}}) {
        StoreKnob(store, "P", 2, gap.caption, gap.displayMode);
        list.Load(store, "P");
        EXPECT_EQ(list.Count(), 1) << gap.name;
    }
    StoreKnob(store, "P", 2, "Two", 127); // any mode up to 127 is a knob
    list.Load(store, "P");
    EXPECT_EQ(list.Count(), 3);
}

TEST(KnobListTest, LoadTakesAtMostTwentyKnobs) {
    TMemoryStore store;
    for (int n = 1; n <= 25; ++n) StoreKnob(store, "P", n, "K" + std::to_string(n), 0);
    TKnobList list;
    list.Load(store, "P");
    EXPECT_EQ(list.Count(), 20);
    EXPECT_EQ(list.Caption(19), "K20");
}

TEST(KnobListTest, SaveErasesTheSectionAndWritesFourValuesPerKnobInOrder) {
    TMemoryStore store;
    for (int n = 1; n <= 5; ++n) StoreKnob(store, "P", n, "Old", 0);
    store.WriteString("P", "Stray", "x");
    ThreeKnobs().Save(store, "P");
    const std::vector<std::string> expected{
        "Caption1", "DisplayMode1", "DefaultValue1", "IUser1", "Caption2", "DisplayMode2",
        "DefaultValue2", "IUser2", "Caption3", "DisplayMode3", "DefaultValue3", "IUser3"};
    EXPECT_EQ(store.ReadValueNames("P"), expected);
    EXPECT_NE(store.Text().find("\"IUser3\"=dword:0000005b"), std::string::npos) << store.Text();

    TKnobList empty;
    empty.Save(store, "P");
    EXPECT_FALSE(store.SectionExists("P")); // an empty list leaves no section behind
}

TEST(KnobListTest, RoundTripsThroughTheRegistryFileAndAnIniFile) {
    TempDir dir;
    const TKnobList original = ThreeKnobs();
    const std::string root = "HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast";
    {
        TRegistryFileStore store(dir.File("t.reg"), root);
        original.Save(store, "KnobPresets\\Strings");
        store.Close();
    }
    TKnobList fromRegistry;
    {
        TRegistryFileStore store(dir.File("t.reg"), root);
        fromRegistry.Load(store, "KnobPresets\\Strings");
    }
    ExpectSameKnobs(original, fromRegistry);

    {
        TIniFileStore ini(dir.File("presets.ini"));
        original.Save(ini, "Strings");
        ini.Close();
    }
    EXPECT_NE(ReadFile(dir.File("presets.ini")).find("[Strings]\r\nCaption1=Volume\r\nDisplayMode1=0\r\n"),
              std::string::npos);
    TIniFileStore ini(dir.File("presets.ini"));
    TKnobList fromIni;
    fromIni.Load(ini, "Strings");
    ExpectSameKnobs(original, fromIni);
}

TEST(KnobListTest, RegistryLoadAndSaveOpenTheirOwnStoreAndCloseIt) {
    TempDir dir;
    std::vector<std::string> opened;
    const TRegistryOpener open = [&](const std::string& path) -> std::unique_ptr<TIniStore> {
        opened.push_back(path);
        return std::make_unique<TRegistryFileStore>(dir.File("t.reg"), "HKEY_CURRENT_USER" + path);
    };
    ThreeKnobs().SaveToRegistry(open, "\\Software\\X\\KnobPresets", "Pads");
    // Only a closed store reaches the file.
    EXPECT_NE(ReadFile(dir.File("t.reg")).find("[HKEY_CURRENT_USER\\Software\\X\\KnobPresets\\Pads]"),
              std::string::npos);
    TKnobList loaded;
    loaded.LoadFromRegistry(open, "\\Software\\X\\KnobPresets", "Pads");
    ExpectSameKnobs(ThreeKnobs(), loaded);
    EXPECT_EQ(opened, (std::vector<std::string>{"\\Software\\X\\KnobPresets", "\\Software\\X\\KnobPresets"}));
}

struct ValueTextCase {
    int displayMode;
    int value;
    const char* text; // nullptr: the label keeps its text
    const char* hint;
};

class KnobValueTextTest : public ::testing::TestWithParam<ValueTextCase> {};

TEST_P(KnobValueTextTest, ShowsBothDisplayModes) {
    const ValueTextCase& c = GetParam();
    const auto text = KnobValueText(c.displayMode, c.value);
    if (c.text) EXPECT_EQ(text, std::optional<std::string>(c.text));
    else EXPECT_FALSE(text.has_value());
    EXPECT_EQ(KnobTrackHint("Pan", c.displayMode, c.value), c.hint);
}

INSTANTIATE_TEST_SUITE_P(Modes, KnobValueTextTest,
                         ::testing::Values(ValueTextCase{0, 0, "0", "Pan: 0"}, ValueTextCase{0, 127, "127", "Pan: 127"},
                                           ValueTextCase{1, 0, "-64", "Pan: -64"}, ValueTextCase{1, 63, "-1", "Pan: -1"},
                                           ValueTextCase{1, 64, "+0", "Pan: +0"}, ValueTextCase{1, 127, "+63", "Pan: +63"},
                                           ValueTextCase{2, 5, nullptr, "Pan: 5"}));

} // namespace
