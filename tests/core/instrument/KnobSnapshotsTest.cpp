#include "instrument/KnobPresets.h"
#include "instrument/KnobSnapshots.h"

#include "store/MemoryStore.h"

#include <gtest/gtest.h>

namespace {

using Pairs = std::vector<TControllerValue>;

TEST(KnobSnapshotTest, BuildKeepsTheFirstKnobOfEachController) {
    EXPECT_EQ(KnobSnapshot::Build({{7, 100}, {10, 64}}), "07640A40");
    EXPECT_EQ(KnobSnapshot::Build({{7, 10}, {7, 90}}), "070A");
    EXPECT_EQ(KnobSnapshot::Build({{127, 127}, {0, 0}, {127, 1}}), "7F7F0000");
    EXPECT_EQ(KnobSnapshot::Build({}), "");
}

struct DecodeCase {
    const char* values;
    Pairs pairs;
};

class KnobSnapshotDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(KnobSnapshotDecodeTest, SendsOnlyCompletePairsBeforeTheFirstBadCharacter) {
    EXPECT_EQ(KnobSnapshot::Decode(GetParam().values), GetParam().pairs) << GetParam().values;
}

INSTANTIATE_TEST_SUITE_P(
    Strings, KnobSnapshotDecodeTest,
    ::testing::Values(DecodeCase{"07640A40", {{7, 100}, {10, 64}}}, DecodeCase{"07640A4", {{7, 100}}},
                      DecodeCase{"076", {}}, DecodeCase{"0a7f", {{10, 127}}}, DecodeCase{"0A7f0b", {{10, 127}}},
                      DecodeCase{"0764zz0A40", {{7, 100}}}, DecodeCase{"07 64", {}}, DecodeCase{"", {}},
                      DecodeCase{"0764-", {{7, 100}}}, DecodeCase{"FFFF", {{255, 255}}}));

TEST(KnobSnapshotsTest, DefineNamesTheSlotAndKeepsTheValues) {
    TKnobSnapshots snapshots;
    EXPECT_EQ(snapshots.Caption(3), "&3 Snapshot 3");
    EXPECT_EQ(snapshots.Name(3), "Snapshot 3");
    EXPECT_FALSE(snapshots.Used(3));
    snapshots.Define(3, "Strings", {{7, 100}, {10, 64}});
    EXPECT_EQ(snapshots.Caption(3), "&3 Strings");
    EXPECT_EQ(snapshots.Name(3), "Strings");
    EXPECT_EQ(snapshots.Values(3), "07640A40");
    EXPECT_EQ(snapshots.UsedCount(), 1);
}

TEST(KnobSnapshotsTest, SaveDeletesFreeSlotsAndLoadKeepsSlotsNotInTheStore) {
    TMemoryStore store;
    store.WriteString("Snapshots", "Name1", "&1 Stale");
    store.WriteString("Snapshots", "Values1", "0101");
    TKnobSnapshots snapshots;
    snapshots.Define(3, "Pads", {{7, 1}});
    EXPECT_EQ(snapshots.Save(store, "Snapshots"), 1);
    EXPECT_EQ(store.ReadValueNames("Snapshots"), (std::vector<std::string>{"Name3", "Values3"}));

    TMemoryStore other;
    other.WriteString("Snapshots", "Name2", "&2 Lead");
    other.WriteString("Snapshots", "Values2", "0A40");
    other.WriteString("Snapshots", "Values5", "0B7F"); // no name: the caption stays
    other.WriteString("Snapshots", "Name6", "&6 Without values");
    EXPECT_EQ(snapshots.Load(other, "Snapshots"), 2);
    EXPECT_EQ(snapshots.Caption(2), "&2 Lead");
    EXPECT_EQ(snapshots.Values(2), "0A40");
    EXPECT_EQ(snapshots.Caption(3), "&3 Pads");
    EXPECT_EQ(snapshots.Values(3), "0701");
    EXPECT_EQ(snapshots.Caption(5), "&5 Snapshot 5");
    EXPECT_TRUE(snapshots.Used(5));
    EXPECT_EQ(snapshots.Caption(6), "&6 Snapshot 6");
    EXPECT_FALSE(snapshots.Used(6));
}

TEST(KnobPresetsTest, MenuNamesLeaveOutTheReservedNamesInAnyCase) {
    TMemoryStore store;
    for (const char* name : {"strings", "default", "CURRENT", "Brass", "Current", "DEFAULT", "aaa"})
        store.WriteString(std::string("KnobPresets\\") + name, "Caption1", "x");
    EXPECT_EQ(KnobPresets::StoredNames(store), (std::vector<std::string>{"strings", "Brass", "aaa"}));
    EXPECT_EQ(KnobPresets::MenuNames(store), (std::vector<std::string>{"aaa", "Brass", "Default", "strings"}));
    TMemoryStore none;
    EXPECT_EQ(KnobPresets::MenuNames(none), (std::vector<std::string>{"Default"}));
}

TEST(KnobPresetsTest, RefreshAndSelectFallBackToDefault) {
    const std::vector<std::string> menu{"Brass", "Default", "Strings"};
    EXPECT_EQ(KnobPresets::AfterRefresh("Strings", menu), "Strings");
    EXPECT_EQ(KnobPresets::AfterRefresh("Gone", menu), "Default");
    EXPECT_EQ(KnobPresets::AfterRefresh("Current", menu), "Current");

    struct Case {
        const char* name;
        bool keyExists;
        const char* current;
        bool volumeOnly;
    };
    for (const Case& c : {Case{"Strings", true, "Strings", false}, Case{"Strings", false, "Default", true},
                          Case{"Gone", true, "Default", true}, Case{"Current", true, "Current", false},
                          Case{"Current", false, "Default", true}, Case{"Default", false, "Default", true}}) {
        const KnobPresets::TSelection s = KnobPresets::Select(c.name, menu, c.keyExists);
        EXPECT_EQ(s.current, c.current) << c.name << " " << c.keyExists;
        EXPECT_EQ(s.volumeOnly, c.volumeOnly) << c.name << " " << c.keyExists;
    }
}

} // namespace
