#include "instrument/KeyGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace KeyGeometry;

TEST(KeyGeometryTest, VisibleRangeAndBaseNoteLimit) {
    EXPECT_EQ(VisibleSemitones(329, 15), 37);
    EXPECT_EQ(ClampBaseNote(200, 329, 15), 91);
    EXPECT_EQ(ClampBaseNote(-5, 329, 15), 0);
    EXPECT_EQ(ClampBaseNote(60, 329, 15), 60);
    EXPECT_EQ(VisibleSemitones(75 * 15 * 3, 15), 128); // wider than the strip
    EXPECT_EQ(ClampBaseNote(10, 75 * 15 * 3, 15), 0);
}

TEST(KeyGeometryTest, AbsolutePositionsInBothStyles) {
    TLayout drawn{15, TPaintStyle::Drawn, TImageSize::Small};
    TLayout image{15, TPaintStyle::Image, TImageSize::Small};
    EXPECT_EQ(AbsoluteX(0, drawn), 0);
    EXPECT_EQ(AbsoluteX(2, drawn), 15);
    EXPECT_EQ(AbsoluteX(1, drawn), 7);        // C# starts in the middle of C
    EXPECT_EQ(AbsoluteX(6, drawn), 3 * 15 + 7); // F#
    EXPECT_EQ(AbsoluteX(12, drawn), 105);
    EXPECT_EQ(AbsoluteX(61, image), 5 * 105 + 9);
    EXPECT_EQ(AbsoluteX(70, image), 5 * 105 + 88);
    EXPECT_EQ(AbsoluteX(127, drawn), 74 * 15);
}

struct HitCase {
    int absoluteX, y, note;
};

class DrawnHitTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(DrawnHitTest, NoteAtInDrawnStyle) {
    EXPECT_EQ(NoteAtDraw(GetParam().absoluteX, GetParam().y, 15, 76), GetParam().note)
        << GetParam().absoluteX << "," << GetParam().y;
}

INSTANTIATE_TEST_SUITE_P(Cases, DrawnHitTest,
                         ::testing::Values(HitCase{10, 45, 1},      // upper part: half-key 1 is C#
                                           HitCase{10, 46, 0},      // lower part: C
                                           HitCase{5 * 105 + 10, 45, 61},
                                           HitCase{3, 10, 0}, HitCase{104, 10, 11}, HitCase{104, 70, 11},
                                           HitCase{-1, 70, 0},      // left of note 0
                                           HitCase{-500, 10, 0},
                                           HitCase{75 * 15 + 3, 70, 127}, // right of note 127
                                           HitCase{100000, 10, 127}));

TEST(KeyGeometryTest, NegativeColumnsFloorIntoTheOctaveBelow) {
    EXPECT_EQ(FloorDiv(-1, 105), -1);
    EXPECT_EQ(FloorDiv(-105, 105), -1);
    EXPECT_EQ(FloorDiv(-106, 105), -2);
    EXPECT_EQ(FloorDiv(104, 105), 0);
}

TEST(KeyGeometryTest, HitMapOfTheImages) {
    auto map = BuildHitMap(TImageSize::Small, 15);
    ASSERT_EQ(map.size(), 105u);
    EXPECT_EQ(map[0], 0);
    EXPECT_EQ(map[8], 0);
    EXPECT_EQ(map[9], 1);
    EXPECT_EQ(map[16], 1);
    EXPECT_EQ(map[17], 2);
    EXPECT_EQ(map[88], 10);
    EXPECT_EQ(map[95], 10);
    EXPECT_EQ(map[96], 11);
    EXPECT_EQ(NoteAtImage(5 * 105 + 10, 41, 15, map), 61); // upper part: C#
    EXPECT_EQ(NoteAtImage(5 * 105 + 10, 42, 15, map), 60); // lower part: middle of its white key
    auto big = BuildHitMap(TImageSize::Big, 27);
    EXPECT_EQ(big[158], 10);
    EXPECT_EQ(big[172], 10);
    EXPECT_EQ(big[173], 11);
}

TEST(KeyGeometryTest, WhiteIndexOfTheBaseNote) {
    EXPECT_EQ(BaseNoteWhiteIndex(61), BaseNoteWhiteIndex(60));
    EXPECT_EQ(BaseNoteWhiteIndex(60), 35);
    EXPECT_EQ(NoteOfWhiteIndex(BaseNoteWhiteIndex(61) + 1), 62); // the right arrow from C#
    EXPECT_EQ(NoteOfWhiteIndex(BaseNoteWhiteIndex(36) - 1), 35);
    EXPECT_EQ(NoteOfWhiteIndex(0), 0);
    EXPECT_EQ(BaseNoteWhiteIndex(127), 74);
}

struct NameCase {
    int note;
    TLanguage language;
    const char* name;
};

class NoteNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(NoteNameTest, NamesInThreeLanguages) {
    EXPECT_EQ(NoteName(GetParam().note, GetParam().language), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Names, NoteNameTest,
                         ::testing::Values(NameCase{60, TLanguage::International, "C3"},
                                           NameCase{0, TLanguage::International, "C-2"},
                                           NameCase{127, TLanguage::International, "G8"},
                                           NameCase{71, TLanguage::German, "H3"},
                                           NameCase{70, TLanguage::German, "Ais3"},
                                           NameCase{61, TLanguage::Italian, "Do#3"},
                                           NameCase{67, TLanguage::Italian, "Sol3"},
                                           NameCase{-4, TLanguage::International, "C-2"},
                                           NameCase{300, TLanguage::International, "G8"}));

} // namespace
