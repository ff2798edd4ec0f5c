#include "instrument/KeySim.h"
#include "instrument/KeyMap.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TKeyData Key(std::uint8_t scan, bool up, bool wasDown = false, bool extended = false) {
    TKeyData d;
    d.scanCode = scan;
    d.extended = extended;
    d.keyUp = up;
    d.wasDown = up || wasDown;
    d.virtualKey = KeyMap::ScanCodeToVirtualKey(scan, extended);
    return d;
}

struct BadCase {
    const char* text;
    const char* error;
};

class KeySequenceBadStringTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(KeySequenceBadStringTest, RaisesAndKeepsTheSequence) {
    TKeySequence seq;
    seq.SetFromString("KSQ10001041");
    try {
        seq.SetFromString(GetParam().text);
        FAIL() << GetParam().text;
    } catch (const EKeySequenceError& e) {
        EXPECT_STREQ(e.what(), GetParam().error);
    }
    EXPECT_EQ(seq.Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Strings, KeySequenceBadStringTest,
                         ::testing::Values(BadCase{"KSQ10002041", "The String is not a Key Sequence!"},
                                           BadCase{"KSQ1", "The String is not a Key Sequence!"},
                                           BadCase{"ksq10000", "The String is not a Key Sequence!"},
                                           BadCase{"KSQ1000G", "The String is not a Key Sequence!"},
                                           BadCase{"KSQ10001G41", "Key wrong format"},
                                           BadCase{"Key 04Z", "Key wrong format"}, BadCase{"", "The String is not a Key Sequence!"}));

TEST(KeySequenceTest, EmptyCountReadsAsEmptyAndUsesEightCharacters) {
    TKeySequence seq;
    seq.SetFromString("KSQ10001041");
    EXPECT_EQ(seq.SetFromString("KSQ10000"), 8);
    EXPECT_EQ(seq.Count(), 0);
    EXPECT_EQ(seq.SetFromString("KSQ10000trailing"), 8);
}

TEST(KeySequenceTest, RoundTripsIncludingTheLegacyForm) {
    TKeySequence seq;
    seq.AddEvent(std::make_unique<TKeyEvent>(0x10, false, false));
    seq.AddEvent(std::make_unique<TKeyEvent>('A', false, false));
    seq.AddEvent(std::make_unique<TKeyEvent>('A', true, false));
    seq.AddEvent(std::make_unique<TKeyEvent>(0x12, false, true)); // right Alt
    seq.AddEvent(std::make_unique<TKeyEvent>(0x10, true, false));
    const std::string s = seq.GetAsString();
    EXPECT_EQ(s, "KSQ10005010041241112210");
    TKeySequence back;
    EXPECT_EQ(back.SetFromString(s + "XYZ"), static_cast<int>(s.size()));
    EXPECT_EQ(back.GetAsString(), s);
    EXPECT_TRUE(back.Items(3).Extended());
    EXPECT_TRUE(back.Items(4).KeyUp());
    TKeySequence legacy;
    EXPECT_EQ(legacy.SetFromString("Key 01004124110"), 15);
    EXPECT_EQ(legacy.GetAsString(), "KSQ10003010041241");
    EXPECT_EQ(legacy.SetFromString("Key 0410"), 8); // a short tail is not read
    EXPECT_EQ(legacy.Count(), 1);
}

TEST(KeySequenceTest, TextOfShiftA) {
    TKeySequence seq;
    seq.AddKeyData(Key(0x2A, false));
    seq.AddKeyData(Key(0x1E, false));
    seq.AddKeyData(Key(0x1E, true));
    seq.AddKeyData(Key(0x2A, true));
    EXPECT_EQ(seq.GetText(), "Shift(A )");
    TKeySequence single;
    single.AddKeyData(Key(0x1E, false));
    EXPECT_EQ(single.GetText(), "A");
}

TEST(KeySequenceTest, AutoRepeatIsRecordedOnce) {
    TKeySequence seq;
    seq.AddKeyData(Key(0x1E, false));
    seq.AddKeyData(Key(0x1E, false, true));
    seq.AddKeyData(Key(0x1E, false, true));
    seq.AddKeyData(Key(0x1E, true));
    EXPECT_EQ(seq.Count(), 2);
}

TEST(KeySequenceTest, OneKeyModeKeepsTheLastPress) {
    TKeySequence seq;
    int changes = 0;
    seq.OnChange = [&](TKeySequence*) { ++changes; };
    seq.SetOnlyOneChar(true);
    seq.AddKeyData(Key(0x11, false)); // W
    seq.AddKeyData(Key(0x11, true));
    seq.AddKeyData(Key(0x10, false)); // Q
    seq.AddKeyData(Key(0x10, true));
    ASSERT_EQ(seq.Count(), 1);
    EXPECT_EQ(seq.GetText(), "Q");
    EXPECT_EQ(changes, 2);
    TKeySequence many;
    many.AddKeyData(Key(0x11, true));
    many.AddKeyData(Key(0x10, false));
    many.SetOnlyOneChar(true);
    ASSERT_EQ(many.Count(), 1);
    EXPECT_FALSE(many.Items(0).KeyUp()); // kept as a press
    EXPECT_EQ(many.Items(0).VirtualKey(), 'W');
}

TEST(KeySequenceTest, DeleteLastTakesThePressAndItsRelease) {
    TKeySequence seq;
    seq.AddKeyData(Key(0x1E, false));
    seq.AddKeyData(Key(0x1E, true));
    seq.AddKeyData(Key(0x30, false));
    seq.AddKeyData(Key(0x30, true));
    seq.DeleteLast();
    ASSERT_EQ(seq.Count(), 2);
    EXPECT_EQ(seq.GetAsString(), "KSQ10002041241");
    EXPECT_THROW(seq.Items(2), std::logic_error);
}

TEST(KeySequenceTest, PlaySendsEveryStrokeAndReleasesWhatStaysDown) {
    std::vector<std::tuple<int, bool, bool>> strokes;
    TKeySequence seq;
    seq.SetFromString("KSQ10003010041241");
    EXPECT_TRUE(seq.Play([&](std::uint8_t vk, bool up, bool ext) { strokes.emplace_back(vk, up, ext); }));
    EXPECT_EQ(strokes, (std::vector<std::tuple<int, bool, bool>>{
                           {0x10, false, false}, {0x41, false, false}, {0x41, true, false}, {0x10, true, false}}));
}

TEST(KeySequenceTest, AssignAndCloneCopyEvents) {
    TKeySequence seq;
    seq.SetFromString("KSQ10002041241");
    auto copy = seq.Clone();
    EXPECT_EQ(copy->GetAsString(), seq.GetAsString());
    EXPECT_EQ(copy->Items(0).Name(), "A");
}

TEST(KeyMapTest, ScanCodesVirtualKeysAndNames) {
    EXPECT_EQ(KeyMap::ScanCodeToVirtualKey(0x10, false), 'Q');
    EXPECT_EQ(KeyMap::ScanCodeToVirtualKey(0x38, true), 0x12);
    EXPECT_EQ(KeyMap::KeyNameText(0x38, true), "Right Alt");
    EXPECT_EQ(KeyMap::KeyNameText(0x2A, false), "Shift");
    EXPECT_EQ(KeyMap::VirtualKeyToScanCode('Z'), 0x2C);
    bool ext = false;
    EXPECT_EQ(KeyMap::VirtualKeyToScanCode(0x25, &ext), 0x4B);
    EXPECT_TRUE(ext);
    EXPECT_EQ(KeyMap::EvdevToScanCode(100, ext), 0x38);
    EXPECT_TRUE(ext);
    EXPECT_EQ(KeyMap::EvdevToScanCode(16, ext), 16);
    EXPECT_FALSE(ext);
    EXPECT_EQ(KeyMap::EvdevToScanCode(300, ext), 0);
}

TEST(KeyDataTest, DecodingTheFlags) {
    TKeyData d = DecodeKeyData((1u << 31) | (1u << 30) | (1u << 24) | (0x38u << 16) | 1, 0);
    EXPECT_TRUE(d.keyUp);
    EXPECT_TRUE(d.wasDown);
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.scanCode, 0x38);
    EXPECT_EQ(d.virtualKey, 0x12);
    EXPECT_EQ(EncodeKeyFlags(d), (1u << 31) | (1u << 30) | (1u << 24) | (0x38u << 16) | 1);
    TKeyData q = DecodeKeyData(0x10u << 16 | 1, 'Q');
    EXPECT_EQ(q.character, "Q");
}

} // namespace
