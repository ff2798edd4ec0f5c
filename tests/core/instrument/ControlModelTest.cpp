#include "instrument/ImageStripModel.h"
#include "instrument/RotaryKnobModel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SnapCase {
    int assigned, expected;
};

class WheelSnapTest : public ::testing::TestWithParam<SnapCase> {};

TEST_P(WheelSnapTest, PositionsSnapToTheStepButNotAtTheBounds) {
    TRotaryKnobModel m;
    ASSERT_TRUE(m.SetMin(-10));
    ASSERT_TRUE(m.SetMax(10));
    ASSERT_TRUE(m.SetStep(4));
    m.SetPosition(GetParam().assigned);
    EXPECT_EQ(m.Position(), GetParam().expected) << GetParam().assigned;
}

INSTANTIATE_TEST_SUITE_P(Cases, WheelSnapTest,
                         ::testing::Values(SnapCase{6, 8}, SnapCase{5, 4}, SnapCase{-6, -4}, SnapCase{-7, -8},
                                           SnapCase{10, 10}, SnapCase{-10, -10}, SnapCase{99, 10},
                                           SnapCase{-99, -10}, SnapCase{2, 4}, SnapCase{-2, 0}));

TEST(WheelModelTest, ReassigningFiresPosChangeOnceAndNothingElse) {
    TRotaryKnobModel m;
    m.SetPosition(40);
    int moved = 0, changes = 0;
    m.OnMoved = [&](int) { ++moved; };
    m.OnPosChange = [&] { ++changes; };
    m.SetPosition(40);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(moved, 0);
}

TEST(WheelModelTest, AValueThatSnapsBackFiresNothing) {
    TRotaryKnobModel m;
    m.SetMax(100);
    m.SetStep(10);
    m.SetPosition(50);
    int events = 0;
    m.OnMoved = [&](int) { ++events; };
    m.OnPosChange = [&] { ++events; };
    m.SetPosition(52); // snaps back to 50
    EXPECT_EQ(events, 0);
    EXPECT_EQ(m.Position(), 50);
}

TEST(WheelModelTest, StepsMustFitTheRange) {
    TRotaryKnobModel m;
    EXPECT_FALSE(m.SetStep(3));
    EXPECT_EQ(m.Step(), 1);
    EXPECT_TRUE(m.SetStep(4));
    EXPECT_FALSE(m.SetStep(0));
    EXPECT_FALSE(m.SetStep(-4));
    EXPECT_FALSE(m.SetStep(200));
    EXPECT_EQ(m.Step(), 4);
}

TEST(WheelModelTest, RangesRejectCrossedBoundsAndShrinkTheStep) {
    TRotaryKnobModel m;
    EXPECT_FALSE(m.SetMax(0));
    EXPECT_FALSE(m.SetMin(100));
    m.SetStep(50);
    m.SetPosition(100);
    EXPECT_TRUE(m.SetMax(20));
    EXPECT_EQ(m.Step(), 20);
    EXPECT_EQ(m.Position(), 20); // clamped into the new range
}

TEST(WheelModelTest, BalanceMakesTheRangeSymmetric) {
    TRotaryKnobModel m;
    m.SetMin(-20);
    m.SetMax(100);
    m.SetBalance(true);
    EXPECT_EQ(m.Min(), -20);
    EXPECT_EQ(m.Max(), 20);
    TRotaryKnobModel n;
    n.SetBalance(true);
    EXPECT_EQ(n.Min(), -100);
    EXPECT_EQ(n.Max(), 100);
    EXPECT_FALSE(n.SetMax(0));
    EXPECT_TRUE(n.SetMax(30));
    EXPECT_EQ(n.Min(), -30);
}

TEST(WheelGeometryTest, BoundsAreOddAndSquareWhenForced) {
    int w = 28, h = 30;
    WheelGeometry::Bounds(47, 47, w, h, true);
    EXPECT_EQ(w, 29);
    EXPECT_EQ(h, 29);
    w = 28, h = 30;
    WheelGeometry::Bounds(47, 47, w, h, false);
    EXPECT_EQ(w, 29);
    EXPECT_EQ(h, 31);
    w = 27, h = 47; // only the width changed
    WheelGeometry::Bounds(47, 47, w, h, true);
    EXPECT_EQ(h, 27);
}

TEST(WheelGeometryTest, ScaleAnglesLeaveTheGapAtTheBottom) {
    EXPECT_DOUBLE_EQ(WheelGeometry::ScaleAngle(0, 320), 20 - 360 + 90);
    EXPECT_DOUBLE_EQ(WheelGeometry::ScaleAngle(50, 320), -90); // straight up
    EXPECT_DOUBLE_EQ(WheelGeometry::ScaleAngle(0, 360), 90 - 360);                  // straight down
    EXPECT_DOUBLE_EQ(WheelGeometry::ScaleAngle(100, 360), 90.0);
}

struct FrameCase {
    int position, frame;
};

class PitchFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(PitchFrameTest, FrameOfThePitchWheel) {
    EXPECT_EQ(ImgModel::FrameIndex(GetParam().position, -8192, 8191, 41), GetParam().frame) << GetParam().position;
}

INSTANTIATE_TEST_SUITE_P(Cases, PitchFrameTest,
                         ::testing::Values(FrameCase{-8192, 0}, FrameCase{8191, 40}, FrameCase{0, 20},
                                           FrameCase{-1, 20}, FrameCase{-200, 19}));

TEST(ImgModelTest, OtherFrames) {
    EXPECT_EQ(ImgModel::FrameIndex(127, 0, 127, 41), 40);
    EXPECT_EQ(ImgModel::FrameIndex(0, 0, 1, 2), 0);
    EXPECT_EQ(ImgModel::FrameIndex(1, 0, 1, 2), 1);
    EXPECT_EQ(ImgModel::FrameIndex(5, 5, 5, 3), 0);
    EXPECT_EQ(ImgModel::FrameIndex(5, 0, 10, 0), -1);
}

TEST(ImgModelTest, StripCountAndWidth) {
    ImgModel::TStrip s{32, 76, 16, 76, 0, 0, false};
    s.Clip();
    s.CountFromFrameSize();
    EXPECT_EQ(s.count, 2);
    s.count = 4;
    s.FrameSizeFromCount();
    EXPECT_EQ(s.width, 8);
    ImgModel::TStrip wheel{820, 76, 20, 76, 0, 0, false};
    wheel.CountFromFrameSize();
    EXPECT_EQ(wheel.count, 41);
}

// Drags a value control from y = 100 through the given points.
std::vector<int> Drag(const std::vector<std::pair<int, bool>>& points, int middleSnap = 5, int start = 0) {
    ImgModel::TValueDrag drag;
    int position = start;
    drag.Press(0, 100, false, position);
    std::vector<int> seen;
    for (auto [y, shift] : points) {
        drag.Move(0, y, shift, true, position, 0, middleSnap, 96, [&](int v) { position = std::clamp(v, -8192, 8191); });
        seen.push_back(position);
    }
    return seen;
}

TEST(ImgModelTest, TheMiddleHoldsTheValueForFiveSteps) {
    std::vector<std::pair<int, bool>> up;
    for (int i = 1; i <= 12; ++i) up.push_back({100 - i, false});
    auto seen = Drag(up);
    EXPECT_EQ(seen[4], 0);   // 5 pixels: still 0
    EXPECT_EQ(seen[5], 96);  // the sixth
    EXPECT_EQ(seen[11], 672);
}

TEST(ImgModelTest, ShiftDragsInFineSteps) {
    std::vector<std::pair<int, bool>> fine;
    for (int i = 1; i <= 6; ++i) fine.push_back({100 - i, true});
    auto seen = Drag(fine, 0, 1000);
    EXPECT_EQ(seen[4], 1000); // five pixels do nothing
    EXPECT_EQ(seen[5], 1096); // the sixth makes one step
    // Releasing Shift: the next move counts one step at most.
    fine.push_back({50, false});
    seen = Drag(fine, 0, 1000);
    EXPECT_EQ(seen.back(), 1192);
}

} // namespace
