#include "store/Placement.h"
#include "store/IniFile.h"

#include <gtest/gtest.h>

namespace {

const TRect Area{0, 30, 1280, 994}; // a task bar at the top

TPlacementTarget Window(TRect current) {
    TPlacementTarget t;
    t.current = current;
    t.workArea = Area;
    return t;
}

TEST(PlacementTest, FirstStartCentresInTheWorkArea) {
    auto store = TIniFileStore::FromText("");
    auto r = RestorePlacement(Window({5, 5, 600, 180}), store, "KeyboardForm", 7, "");
    EXPECT_EQ(r.rect, (TRect{0 + 640 - 300, 30 + 497 - 90, 600, 180}));
    EXPECT_FALSE(r.state);
}

TEST(PlacementTest, TopOfMinus10000CountsAsMissing) {
    auto store = TIniFileStore::FromText("[F]\nTop=-10000\nLeft=100\n");
    auto r = RestorePlacement(Window({5, 5, 601, 181}), store, "F", 2, "");
    EXPECT_EQ(r.rect.left, 640 - 300);
    EXPECT_EQ(r.rect.top, 30 + 497 - 90);
}

TEST(PlacementTest, CentresOnAVisibleOwner) {
    auto store = TIniFileStore::FromText("");
    auto t = Window({0, 0, 200, 100});
    t.visibleOwner = TRect{100, 100, 400, 300};
    auto r = RestorePlacement(t, store, "D", 2, "");
    EXPECT_EQ(r.rect, (TRect{200, 200, 200, 100}));
}

TEST(PlacementTest, StoredPositionIsRelativeToTheWorkArea) {
    auto store = TIniFileStore::FromText("[F]\nTop=10\nLeft=20\nWidth=700\nHeight=150\n");
    auto r = RestorePlacement(Window({0, 0, 600, 180}), store, "F", 3, "");
    EXPECT_EQ(r.rect, (TRect{20, 40, 700, 150}));
}

struct BoundsCase {
    const char* stored;
    TRect expected;
};

class PlacementBoundsTest : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(PlacementBoundsTest, WindowIsBroughtBackOntoTheWorkArea) {
    auto store = TIniFileStore::FromText(GetParam().stored);
    auto r = RestorePlacement(Window({0, 0, 600, 180}), store, "F", 3, "");
    EXPECT_EQ(r.rect, GetParam().expected) << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementBoundsTest,
    ::testing::Values(
        // far right: the left edge comes back 30 pixels inside the right edge
        BoundsCase{"[F]\nTop=0\nLeft=5000\n", {1250, 30, 600, 180}},
        // far left: exactly 30 pixels stay inside
        BoundsCase{"[F]\nTop=0\nLeft=-5000\n", {30 - 600, 30, 600, 180}},
        // below the bottom
        BoundsCase{"[F]\nTop=3000\nLeft=0\n", {0, 1024 - 30, 600, 180}},
        // above the top: to the top
        BoundsCase{"[F]\nTop=-200\nLeft=0\n", {0, 30, 600, 180}},
        // larger than the area: cut to it
        BoundsCase{"[F]\nTop=0\nLeft=0\nWidth=4000\nHeight=2000\n", {0, 30, 1280, 994}}));

TEST(PlacementTest, SaveWritesTheFlaggedValuesWithPrefix) {
    auto store = TIniFileStore::FromText("");
    TPlacementSource s;
    s.windowRect = {100, 130, 640, 180};
    s.workArea = Area;
    s.state = TWindowState::Maximized;
    s.normalRect = TRect{10, 20, 500, 170};
    s.style = 3;
    s.visible = false;
    SavePlacement(s, store, "D", 1 | 2 | 4 | 16 | 32, "Dlg");
    EXPECT_EQ(store.Text(), "[D]\r\nDlgTop=20\r\nDlgLeft=10\r\nDlgHeight=170\r\nDlgWidth=500\r\n"
                            "DlgState=2\r\nDlgVisible=0\r\nDlgStyle=3\r\n");
}

TEST(PlacementTest, SaveWithoutNormalRectUsesTheWindowRelativeToTheArea) {
    auto store = TIniFileStore::FromText("");
    TPlacementSource s;
    s.windowRect = {100, 130, 640, 180};
    s.workArea = Area;
    SavePlacement(s, store, "F", 7, "");
    EXPECT_EQ(store.ReadInteger("F", "Top", 0), 100);
    EXPECT_EQ(store.ReadInteger("F", "Left", 0), 100);
    EXPECT_EQ(store.ReadInteger("F", "Width", 0), 640);
    EXPECT_EQ(store.ReadInteger("F", "State", -1), 0);
}

struct StateCase {
    TWindowState state;
    bool mainMinimized;
    int flags;
    int saved;
};

class PlacementStateTest : public ::testing::TestWithParam<StateCase> {};

TEST_P(PlacementStateTest, StateFollowsItsFlag) {
    auto store = TIniFileStore::FromText("");
    TPlacementSource s;
    s.workArea = Area;
    s.state = GetParam().state;
    s.isMainWindow = GetParam().mainMinimized;
    s.applicationMinimized = GetParam().mainMinimized;
    SavePlacement(s, store, "F", GetParam().flags, "");
    EXPECT_EQ(store.ReadInteger("F", "State", -1), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    States, PlacementStateTest,
    ::testing::Values(StateCase{TWindowState::Maximized, false, 4, 2},
                      StateCase{TWindowState::Maximized, false, 8, 0},
                      StateCase{TWindowState::Minimized, false, 8, 1},
                      StateCase{TWindowState::Minimized, false, 4, 0},
                      StateCase{TWindowState::Maximized, true, 8, 1},
                      StateCase{TWindowState::Maximized, true, 4, 0}));

TEST(PlacementTest, RestoreStateStyleAndVisibility) {
    auto store = TIniFileStore::FromText("[F]\nTop=0\nLeft=0\nState=2\nStyle=3\nVisible=1\n");
    auto r = RestorePlacement(Window({0, 0, 100, 100}), store, "F", 2 | 4 | 8 | 16 | 32, "");
    EXPECT_EQ(r.state, TWindowState::Maximized);
    EXPECT_EQ(r.style, 3);
    EXPECT_TRUE(r.autoPositionOff);
    EXPECT_EQ(r.visible, true);

    auto onlyMinimized = RestorePlacement(Window({0, 0, 100, 100}), store, "F", 8, "");
    EXPECT_FALSE(onlyMinimized.state); // state 2 needs flag 4
}

TEST(PlacementTest, VisibleDefaultsDifferForTheMainWindow) {
    auto store = TIniFileStore::FromText("");
    auto other = RestorePlacement(Window({0, 0, 100, 100}), store, "F", 16, "");
    auto t = Window({0, 0, 100, 100});
    t.isMainWindow = true;
    auto main = RestorePlacement(t, store, "F", 16, "");
    EXPECT_EQ(other.visible, false);
    EXPECT_EQ(main.visible, true);
}

} // namespace
