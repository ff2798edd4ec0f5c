#include "instrument/KeyboardState.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Message = std::tuple<int, int, int>;

class KeyboardStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        k.OnNote = [this](TKeyboardState*, const TShortMessage& m) {
            sent.emplace_back(m.status, m.data1, m.data2);
        };
        k.OnDisplayEvent = [this](TKeyboardState*, const TShortMessage& m) {
            shown.emplace_back(m.status, m.data1, m.data2);
        };
        k.OnRedrawNote = [this](int note) { redrawn.push_back(note); };
    }
    std::vector<int> Pressed() const {
        std::vector<int> notes;
        for (int n = 0; n < 128; ++n)
            if (k.IsPressed(n)) notes.push_back(n);
        return notes;
    }
    TKeyboardState k;
    std::vector<Message> sent, shown;
    std::vector<int> redrawn;
};

TEST_F(KeyboardStateTest, PowerChordOnNote5DropsTheNoteBelowZero) {
    k.SetChord(TChord::Power);
    k.PlayNote(0, 5, 100, true);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 5, 100}, {0x90, 12, 100}, {0x90, 17, 100}}));
}

// A key held at MIDI In while a setting changes: every note its note on sent
// gets its note off, and no other note off goes out.
struct ThruCase {
    const char* name;
    std::function<void(TKeyboardState&)> change;
    bool releasesAtOnce; // the change itself ends the thru notes
};

class ThruHeldTest : public KeyboardStateTest, public ::testing::WithParamInterface<ThruCase> {};

TEST_P(ThruHeldTest, EveryNoteSentAtNoteOnEndsOnce) {
    k.SetChord(TChord::Major);
    k.SetTranspose(2);
    k.PlayMessage({0x93, 60, 100}, true);
    const std::vector<Message> on(sent.begin(), sent.end());
    ASSERT_EQ(on, (std::vector<Message>{{0x93, 62, 100}, {0x93, 66, 100}, {0x93, 69, 100}}));
    GetParam().change(k);
    if (!GetParam().releasesAtOnce) k.PlayMessage({0x83, 60, 40}, true);
    std::vector<Message> offs;
    for (const Message& m : sent)
        if (std::get<0>(m) == 0x93 && std::get<2>(m) == 0) offs.push_back(m);
    EXPECT_EQ(offs, (std::vector<Message>{{0x93, 62, 0}, {0x93, 66, 0}, {0x93, 69, 0}}));
    EXPECT_EQ(Pressed(), std::vector<int>{}) << "a key still shows pressed";
    const std::size_t before = sent.size();
    k.ReleaseThruNotes(); // nothing is left held
    EXPECT_EQ(sent.size(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ThruHeldTest,
    ::testing::Values(ThruCase{"chord", [](TKeyboardState& s) { s.SetChord(TChord::Minor7); }, false},
                      ThruCase{"transpose", [](TKeyboardState& s) { s.SetTranspose(-5); }, false},
                      ThruCase{"displayTransposed", [](TKeyboardState& s) { s.SetDisplayTransposed(true); }, false},
                      ThruCase{"transposeThru", [](TKeyboardState& s) { s.SetTransposeThru(false); }, false},
                      ThruCase{"customChord", [](TKeyboardState& s) { s.SetCustomChord({5, 9}, true); }, false},
                      ThruCase{"channel", [](TKeyboardState& s) { s.SetChannel(7); }, false},
                      ThruCase{"thruEnded", [](TKeyboardState& s) { s.ReleaseThruNotes(); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Two strikes of one key before its note off: each note off ends the oldest.
TEST_F(KeyboardStateTest, RepeatedThruStrikesEndOldestFirst) {
    k.PlayMessage({0x90, 60, 100}, true);
    k.SetTranspose(12);
    k.PlayMessage({0x90, 60, 90}, true);
    k.PlayMessage({0x80, 60, 0}, true);
    k.PlayMessage({0x80, 60, 0}, true);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 100}, {0x90, 72, 90}, {0x90, 60, 0}, {0x90, 72, 0}}));
}

struct ChordCase {
    TChord chord;
    std::vector<int> notes;
};

class ChordTest : public KeyboardStateTest, public ::testing::WithParamInterface<ChordCase> {};

TEST_P(ChordTest, ChordNotesInOrder) {
    k.SetChord(GetParam().chord);
    k.PlayNote(2, 60, 90, true);
    std::vector<int> notes;
    for (auto& [s, n, v] : sent) {
        EXPECT_EQ(s, 0x92);
        EXPECT_EQ(v, 90);
        notes.push_back(n);
    }
    EXPECT_EQ(notes, GetParam().notes);
}

INSTANTIATE_TEST_SUITE_P(Chords, ChordTest,
                         ::testing::Values(ChordCase{TChord::None, {60}}, ChordCase{TChord::Major, {60, 64, 67}},
                                           ChordCase{TChord::Minor, {60, 63, 67}},
                                           ChordCase{TChord::Major7, {60, 64, 67, 70}},
                                           ChordCase{TChord::Minor7, {60, 63, 67, 70}},
                                           ChordCase{TChord::Fifths, {60, 67}},
                                           ChordCase{TChord::Octave, {60, 72}},
                                           ChordCase{TChord::Power, {60, 67, 72, 48}}));

TEST_F(KeyboardStateTest, CustomChordSkipsRepeatsAndStopsAtZero) {
    k.SetCustomChord({5, 5, -3, 0, 9}, true);
    EXPECT_EQ(k.Chord(), TChord::Custom);
    k.PlayNote(0, 60, 100, true);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 100}, {0x90, 65, 100}, {0x90, 57, 100}}));
    std::vector<int> many(20);
    for (int i = 0; i < 20; ++i) many[static_cast<std::size_t>(i)] = i + 1;
    k.SetCustomChord(many, false);
    EXPECT_EQ(k.CustomChord()[15], 16);
}

struct TransposeCase {
    int transpose;
    bool displayTransposed;
    int clicked;
    std::vector<Message> sent;
    std::vector<int> shown;
};

class TransposeTest : public KeyboardStateTest, public ::testing::WithParamInterface<TransposeCase> {};

TEST_P(TransposeTest, SentAndShownNotes) {
    k.SetTranspose(GetParam().transpose);
    k.SetDisplayTransposed(GetParam().displayTransposed);
    k.PlayNote(0, GetParam().clicked, 100, true);
    EXPECT_EQ(sent, GetParam().sent);
    EXPECT_EQ(Pressed(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, TransposeTest,
                         ::testing::Values(TransposeCase{12, false, 60, {{0x90, 72, 100}}, {60}},
                                           TransposeCase{12, true, 60, {{0x90, 72, 100}}, {72}},
                                           TransposeCase{12, true, 120, {}, {}},
                                           TransposeCase{12, false, 120, {}, {120}},
                                           TransposeCase{-12, false, 5, {}, {5}},
                                           TransposeCase{200, false, 0, {{0x90, 99, 100}}, {0}}));

TEST_F(KeyboardStateTest, TransposeThruDecidesForOutsideNotes) {
    k.SetTranspose(5);
    k.PlayMessage({0x93, 60, 80}, true);
    k.SetTransposeThru(false);
    k.PlayMessage({0x93, 61, 80}, true);
    EXPECT_EQ(sent, (std::vector<Message>{{0x93, 65, 80}, {0x93, 61, 80}}));
}

TEST_F(KeyboardStateTest, OverlappingChordsKeepAKeyUntilBothNoteOffs) {
    k.SetChord(TChord::Octave);
    k.PlayNote(0, 48, 100, true); // 48, 60
    k.PlayNote(0, 60, 100, true); // 60, 72
    EXPECT_EQ(k.LocalCount(60), 2);
    k.PlayNote(0, 48, 0, true);
    EXPECT_TRUE(k.IsPressed(60));
    k.PlayNote(0, 60, 0, true);
    EXPECT_FALSE(k.IsPressed(60));

    sent.clear();
    k.PlayNote(0, 48, 100, true);
    k.PlayNote(0, 60, 100, true);
    sent.clear();
    k.ReleaseAll();
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 48, 0}, {0x90, 60, 0}, {0x90, 72, 0}})); // one per key
    EXPECT_TRUE(Pressed().empty());
}

TEST_F(KeyboardStateTest, RedrawOnlyWhenAKeyChangesBetweenUpAndDown) {
    k.SendNote(0, 60, 100, true);
    k.SendNote(0, 60, 100, true);
    k.MarkExternalNote(60, 100);
    k.SendNote(0, 60, 0, true);
    k.SendNote(0, 60, 0, true);
    k.MarkExternalNote(60, 0);
    EXPECT_EQ(redrawn, (std::vector<int>{60, 60, 60}));
}

TEST_F(KeyboardStateTest, VelocityWithTheShiftFactor) {
    EXPECT_EQ(GestureVelocity(100, 0.6f, true), 60);
    EXPECT_EQ(GestureVelocity(100, 2.0f, true), 127);
    EXPECT_EQ(GestureVelocity(100, 2.0f, false), 100);
    EXPECT_EQ(GestureVelocity(1, 0.01f, true), 0);
    k.SetVelocityShiftFactor(0.0f);
    EXPECT_FLOAT_EQ(k.VelocityShiftFactor(), 0.01f);
    k.SetVelocity(200);
    EXPECT_EQ(k.Velocity(), 200 & 0x7F);
}

TEST_F(KeyboardStateTest, IncomingNoteOnChannel3IsReleasedOnTheKeyboardChannel) {
    k.SetChannel(1);
    k.PlayMessage({0x92, 64, 100}, true);
    EXPECT_EQ(sent.back(), (Message{0x92, 64, 100}));
    sent.clear();
    k.ReleaseExternalNotes();
    EXPECT_EQ(sent, (std::vector<Message>{{0x91, 64, 0}}));
    EXPECT_FALSE(k.IsPressed(64));
}

TEST_F(KeyboardStateTest, PlayMessagePassesOtherMessagesAndDropsSystemOnes) {
    k.PlayMessage({0x85, 60, 99}, false);
    k.PlayMessage({0xB4, 7, 0xFF}, true);
    k.PlayMessage({0xF8, 0, 0}, true);
    k.PlayMessage({0xF0, 1, 2}, true);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 0}, {0xB4, 7, 0x7F}}));
}

TEST_F(KeyboardStateTest, ChordChangeRestrikesAHeldNote) {
    k.PlayNote(0, 60, 90, true);
    k.PlayingNote = 60;
    k.PlayingVelocity = 90;
    k.SetHeld(true); // released with Ctrl
    sent.clear();
    k.SetChord(TChord::Major);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 0}, {0x90, 60, 90}, {0x90, 64, 90}, {0x90, 67, 90}}));
    EXPECT_TRUE(k.Held());
    sent.clear();
    k.SetMouseMode(TMouseMode::Normal); // the next press ends the held chord first
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 0}, {0x90, 64, 0}, {0x90, 67, 0}}));
}

TEST_F(KeyboardStateTest, ChannelChangeReleasesEverything) {
    k.PlayNote(0, 60, 90, true);
    k.MarkExternalNote(70, 90);
    sent.clear();
    k.SetChannel(0x13);
    EXPECT_EQ(k.Channel(), 3);
    EXPECT_EQ(sent, (std::vector<Message>{{0x90, 60, 0}}));
    EXPECT_TRUE(Pressed().empty());
}

struct HoldCase {
    int controller;
    int start;
    int dx, dy;
    std::vector<Message> sent;
};

class HoldModeTest : public KeyboardStateTest, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(HoldModeTest, DraggingMovesTheControllers) {
    k.SetUpDownController(GetParam().controller == 128 ? ControllerCode::None : GetParam().controller);
    k.SetLeftRightController(GetParam().controller == 128 ? 128 : ControllerCode::None);
    k.SetControllerValue(1, GetParam().start);
    k.StartGesture(100, 100);
    k.MoveControllers(100 + GetParam().dx, 100 + GetParam().dy);
    EXPECT_EQ(sent, GetParam().sent);
    EXPECT_EQ(shown, GetParam().sent); // shown as well as sent
}

INSTANTIATE_TEST_SUITE_P(Cases, HoldModeTest,
                         ::testing::Values(HoldCase{1, 40, 0, -6, {{0xB0, 1, 42}}},
                                           HoldCase{1, 40, 0, 6, {}}, HoldCase{1, 40, 0, -3, {}},
                                           HoldCase{1, 40, 0, 3, {}}, HoldCase{1, 40, 0, 7, {{0xB0, 1, 39}}},
                                           HoldCase{1, 126, 0, -100, {{0xB0, 1, 127}}},
                                           HoldCase{128, 0, 10, 0, {{0xE0, 16, 67}}},
                                           HoldCase{128, 0, -5, 0, {}},
                                           HoldCase{128, 0, 1000, 0, {{0xE0, 127, 127}}}));

TEST_F(KeyboardStateTest, ReleaseAllRecentresAMovedPitchBend) {
    k.SetUpDownController(ControllerCode::None);
    k.StartGesture(0, 0);
    k.MoveControllers(10, 0);
    sent.clear();
    k.ReleaseAll();
    EXPECT_EQ(sent, (std::vector<Message>{{0xE0, 0, 64}}));
    sent.clear();
    k.ReleaseAll();
    EXPECT_TRUE(sent.empty());
}

} // namespace
