#include "instrument/KeyTable.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using TManual = TKeyTable::TManual;
constexpr int NoNote = TKeyTable::NoNote;

class KeyTableTest : public ::testing::Test {
protected:
    std::map<int, int> Playing() const {
        std::map<int, int> m;
        for (int s = TKeyTable::FirstScanCode; s <= TKeyTable::LastScanCode; ++s)
            if (table.Offset(s) != NoNote) m[s] = table.Offset(s);
        return m;
    }
    int Offset(int scanCode) const { return table.Offset(scanCode); }
    void Rebuild(TManual manual, int c) { table.Rebuild(manual, c); }
    static bool IsValidUpperCKey(int s) { return TKeyTable::IsValidUpperCKey(s); }
    static bool IsValidLowerCKey(int s) { return TKeyTable::IsValidLowerCKey(s); }
    TKeyTable table;
};

const std::map<int, int> DefaultLayout = {
    {3, 13},  {4, 15},  {6, 18},  {7, 20},  {8, 22},  {10, 25}, {11, 27}, {13, 30}, {16, 12}, {17, 14},
    {18, 16}, {19, 17}, {20, 19}, {21, 21}, {22, 23}, {23, 24}, {24, 26}, {25, 28}, {26, 29}, {27, 31},
    {31, 1},  {32, 3},  {34, 6},  {35, 8},  {36, 10}, {38, 13}, {39, 15}, {44, 0},  {45, 2},  {46, 4},
    {47, 5},  {48, 7},  {49, 9},  {50, 11}, {51, 12}, {52, 14}, {53, 16}};

TEST_F(KeyTableTest, DefaultLayoutIsTheRebuildOfQAndZ) {
    EXPECT_EQ(Playing(), DefaultLayout);
    Rebuild(TManual::Upper, 16);
    Rebuild(TManual::Lower, 44);
    EXPECT_EQ(Playing(), DefaultLayout);
    EXPECT_EQ(Offset(1), NoNote);
    EXPECT_EQ(Offset(54), NoNote);
    for (int s : {14, 15, 28, 29, 41, 42, 43}) EXPECT_EQ(Offset(s), NoNote) << s;
}

TEST_F(KeyTableTest, UpperCOnTheEKey) {
    Rebuild(TManual::Upper, 18);
    EXPECT_EQ(Offset(18), 12); // E
    EXPECT_EQ(Offset(17), 11); // W
    EXPECT_EQ(Offset(16), 9);  // Q
    EXPECT_EQ(Offset(2), 8);   // digit 1
    EXPECT_EQ(Offset(3), 10);  // digit 2, between Q and W
    EXPECT_EQ(Offset(4), NoNote); // digit 3: W and E are B and C
    EXPECT_EQ(Offset(44), 0);  // the lower manual is untouched
}

TEST_F(KeyTableTest, LowerCOnTheMKey) {
    Rebuild(TManual::Lower, 50);
    EXPECT_EQ(Offset(44), -10); // Z is a D
    EXPECT_EQ(Offset(45), -8);
    EXPECT_EQ(Offset(46), -7);
    EXPECT_EQ(Offset(50), 0);
    EXPECT_EQ(Offset(30), -11); // A
    EXPECT_EQ(Offset(31), -9);  // S
}

TEST_F(KeyTableTest, ACKeySevenWhiteKeysRightMovesBackToZ) {
    Rebuild(TManual::Lower, 51);
    EXPECT_EQ(Playing(), DefaultLayout);
}

TEST_F(KeyTableTest, ValidCKeys) {
    EXPECT_TRUE(IsValidUpperCKey(16));
    EXPECT_TRUE(IsValidUpperCKey(27));
    EXPECT_FALSE(IsValidUpperCKey(28));
    EXPECT_FALSE(IsValidUpperCKey(44));
    EXPECT_TRUE(IsValidLowerCKey(53));
    EXPECT_FALSE(IsValidLowerCKey(43));
}

} // namespace
