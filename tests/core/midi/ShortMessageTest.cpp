// The one home of MIDI message bytes: 14-bit splits and joins at their
// boundaries, the messages as the wire sees them, and a port's reset.
#include "midi/ShortMessage.h"
#include "SoundingNotes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TSigned {
    int value;
    TSplit14 bytes;
};

class Signed14Test : public ::testing::TestWithParam<TSigned> {};

TEST_P(Signed14Test, SplitAndJoinAreInverse) {
    const auto [value, bytes] = GetParam();
    EXPECT_EQ(ShortMessage::SplitSigned14(value), bytes);
    EXPECT_EQ(ShortMessage::JoinSigned14(bytes.low, bytes.high), value);
    EXPECT_EQ(ShortMessage::PitchBend(3, value), (TShortMessage{0xE3, bytes.low, bytes.high}));
}

INSTANTIATE_TEST_SUITE_P(Boundaries, Signed14Test,
                         ::testing::Values(TSigned{-8192, {0, 0}}, TSigned{8191, {127, 127}}, TSigned{0, {0, 64}},
                                           TSigned{-1, {127, 63}}, TSigned{1, {1, 64}}, TSigned{4000, {32, 95}}));

struct TUnsigned {
    int value;
    TSplit14 bytes;
};

class Unsigned14Test : public ::testing::TestWithParam<TUnsigned> {};

TEST_P(Unsigned14Test, SplitAndJoinAreInverse) {
    const auto [value, bytes] = GetParam();
    EXPECT_EQ(ShortMessage::SplitUnsigned14(value), bytes);
    EXPECT_EQ(ShortMessage::JoinUnsigned14(bytes.low, bytes.high), value);
}

INSTANTIATE_TEST_SUITE_P(Banks, Unsigned14Test,
                         ::testing::Values(TUnsigned{0, {0, 0}}, TUnsigned{127, {127, 0}}, TUnsigned{128, {0, 1}},
                                           TUnsigned{16383, {127, 127}}, TUnsigned{300, {44, 2}}));

TEST(ShortMessageTest, MessagesKeepChannelAndDataToSevenBits) {
    EXPECT_EQ(ShortMessage::NoteOn(0, 60, 100), (TShortMessage{0x90, 60, 100}));
    EXPECT_EQ(ShortMessage::NoteOn(15, 127, 127), (TShortMessage{0x9F, 127, 127}));
    EXPECT_EQ(ShortMessage::NoteOff(4, 61), (TShortMessage{0x94, 61, 0}));
    EXPECT_EQ(ShortMessage::ControlChange(16, 7, 128), (TShortMessage{0xB0, 7, 0})); // channel and value wrap
    EXPECT_EQ(ShortMessage::ProgramChange(9, 5), (TShortMessage{0xC9, 5, 0}));
    EXPECT_EQ(ShortMessage::AsNoteOn({0x83, 60, 40}), (TShortMessage{0x93, 60, 0}));
    EXPECT_EQ(ShortMessage::AsNoteOn({0xB3, 7, 40}), (TShortMessage{0xB3, 7, 40}));
}

struct TLength {
    int status;
    int length;
};

class LengthTest : public ::testing::TestWithParam<TLength> {};

TEST_P(LengthTest, BytesOnTheWire) { EXPECT_EQ(ShortMessage::Length(static_cast<std::uint8_t>(GetParam().status)), GetParam().length); }

INSTANTIATE_TEST_SUITE_P(Status, LengthTest,
                         ::testing::Values(TLength{0x00, 0}, TLength{0x7F, 0}, TLength{0x80, 3}, TLength{0xBF, 3},
                                           TLength{0xC0, 2}, TLength{0xDF, 2}, TLength{0xE0, 3}, TLength{0xEF, 3},
                                           TLength{0xF0, 0}, TLength{0xF1, 2}, TLength{0xF2, 3}, TLength{0xF3, 2},
                                           TLength{0xF6, 1}, TLength{0xF7, 0}, TLength{0xF8, 1}, TLength{0xFF, 1}));

// What a message says of itself, at the edges of each kind.
struct TQueries {
    TShortMessage message;
    const char* kind; // the one query that holds, or "" for none
    int channel;
    int velocity;
};

class QueriesTest : public ::testing::TestWithParam<TQueries> {};

TEST_P(QueriesTest, OneKindHoldsWithItsChannelAndVelocity) {
    const TShortMessage& m = GetParam().message;
    const std::string holds = m.IsNoteOn()          ? "note on"
                              : m.IsNoteOff()       ? "note off"
                              : m.IsControlChange() ? "controller"
                              : m.IsProgramChange() ? "program"
                              : m.IsPitchBend()     ? "bend"
                                                    : "";
    EXPECT_EQ(holds, GetParam().kind);
    EXPECT_EQ(m.IsNote(), m.IsNoteOn() || m.IsNoteOff());
    EXPECT_EQ(m.IsChannelMessage(), m.status >= 0x80 && m.status < 0xF0);
    if (m.IsChannelMessage()) EXPECT_EQ(m.Channel(), GetParam().channel);
    EXPECT_EQ(m.Velocity(), GetParam().velocity);
}

INSTANTIATE_TEST_SUITE_P(Kinds, QueriesTest,
                         ::testing::Values(TQueries{{0x90, 60, 100}, "note on", 0, 100},
                                           TQueries{{0x9F, 60, 0}, "note on", 15, 0},
                                           TQueries{{0x8F, 60, 64}, "note off", 15, 0},
                                           TQueries{{0x80, 60, 64}, "note off", 0, 0},
                                           TQueries{{0xA3, 60, 64}, "", 3, 0},
                                           TQueries{{0xBF, 7, 90}, "controller", 15, 0},
                                           TQueries{{0xC4, 9, 0}, "program", 4, 0},
                                           TQueries{{0xD0, 9, 0}, "", 0, 0},
                                           TQueries{{0xEF, 0, 64}, "bend", 15, 0},
                                           TQueries{{0xF0, 0, 0}, "", 0, 0},
                                           TQueries{{0xF8, 0, 0}, "", 0, 0},
                                           TQueries{{0x40, 0, 0}, "", 0, 0}));

TEST(ShortMessageTest, PackingRoundTrips) {
    EXPECT_EQ(ShortMessage::Pack(0x92, 0x40, 0x7F), 0x7F4092u);
    EXPECT_EQ(ShortMessage::Unpack(0x7F4092u), (TShortMessage{0x92, 0x40, 0x7F}));
    const std::uint8_t two[] = {0xC5, 9};
    EXPECT_EQ(ShortMessage::PackBytes(two, 2), 0x09C5u);
}

TEST(SoundingNotesTest, SilenceEndsWhatSoundsThenReleasesTheSustain) {
    TSoundingNotes notes;
    notes.Sent({0x91, 64, 90});
    notes.Sent({0x90, 60, 100});
    notes.Sent({0x90, 62, 100});
    notes.Sent({0x80, 62, 30}); // ended by a note off
    notes.Sent({0x90, 61, 100});
    notes.Sent({0x90, 61, 0}); // ended by velocity 0
    const auto reset = notes.Silence();
    ASSERT_EQ(reset.size(), 2u + 16u);
    EXPECT_EQ(reset[0], (TShortMessage{0x90, 60, 0}));
    EXPECT_EQ(reset[1], (TShortMessage{0x91, 64, 0}));
    for (int ch = 0; ch < 16; ++ch) EXPECT_EQ(reset[2 + static_cast<std::size_t>(ch)], ShortMessage::ControlChange(ch, 64, 0));
    EXPECT_EQ(notes.Silence().size(), 16u); // forgotten
}

TEST(SoundingNotesTest, TheWireDropsLoneDataBytesAndRefusesSystemExclusive) {
    EXPECT_EQ(TSoundingNotes::Wire({0x40, 1, 2}).status, 0); // no running status to continue
    EXPECT_EQ(TSoundingNotes::Wire({0xC3, 0x85, 0}), (TShortMessage{0xC3, 0x05, 0}));
    EXPECT_EQ(TSoundingNotes::Wire({0x90, 0xBC, 0xE4}), (TShortMessage{0x90, 0x3C, 0x64}));
    EXPECT_THROW(TSoundingNotes::Wire({0xF0, 1, 2}), EMidiError);
    EXPECT_THROW(TSoundingNotes::Wire({0xF7, 0, 0}), EMidiError);
    // Every message of the silence is tried; the first failure is raised after.
    TSoundingNotes notes;
    notes.Sent({0x90, 60, 1});
    int tries = 0;
    EXPECT_THROW(notes.SendSilence([&](const TShortMessage&) {
        ++tries;
        throw EMidiError("gone");
    }),
                 EMidiError);
    EXPECT_EQ(tries, 1 + 16);
}

} // namespace
