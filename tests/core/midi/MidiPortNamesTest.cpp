// Names of MIDI ports: what is shown and stored, what a stored name matches,
// and which ports are the program's own.
#include "midi/MidiPortNames.h"

#include <gtest/gtest.h>

namespace {

struct TStrip {
    const char* reported;
    const char* shown;
};

class PortNumbersTest : public ::testing::TestWithParam<TStrip> {};

TEST_P(PortNumbersTest, AlsaNumbersAreNotPartOfTheName) {
    EXPECT_EQ(WithoutPortNumbers(GetParam().reported), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PortNumbersTest,
    ::testing::Values(TStrip{"Midi Through:Midi Through Port-0 14:0", "Midi Through:Midi Through Port-0"},
                      TStrip{"FLUID Synth (1234):Synth input port (1234:0) 128:0",
                             "FLUID Synth (1234):Synth input port (1234:0)"},
                      TStrip{"USB Keys:USB Keys MIDI 1 24:0", "USB Keys:USB Keys MIDI 1"},
                      // JACK names and anything that only looks alike stay whole.
                      TStrip{"system:midi_capture_1", "system:midi_capture_1"},
                      TStrip{"synth:in 128:", "synth:in 128:"}, TStrip{"synth:in :0", "synth:in :0"},
                      TStrip{"synth:in128:0", "synth:in128:0"}, TStrip{"14:0", "14:0"},
                      TStrip{" 14:0", " 14:0"}, TStrip{"", ""}));

TEST(NamesDeviceTest, CaseSpacesAndPortNumbersDoNotCount) {
    EXPECT_TRUE(NamesDevice("Midi Through:Midi Through Port-0", "Midi Through:Midi Through Port-0 14:0"));
    EXPECT_TRUE(NamesDevice("Midi Through:Midi Through Port-0", "midi through:MIDITHROUGH port-0 20:0"));
    EXPECT_TRUE(NamesDevice("Synth 1", "synth1"));
    EXPECT_FALSE(NamesDevice("Synth 1!", "Synth 1"));
    EXPECT_FALSE(NamesDevice("Midi Through:Midi Through Port-1", "Midi Through:Midi Through Port-0 14:0"));
}

TEST(DistinctNamesTest, LaterTwinsAreNumberedAndStoredNamesFindTheirOwn) {
    const std::vector<std::string> shown =
        DistinctNames({"USB Keys:Port 1", "Synth", "USB Keys:Port 1", "USB Keys:Port 1", "Other"});
    EXPECT_EQ(shown, (std::vector<std::string>{"USB Keys:Port 1", "Synth", "USB Keys:Port 1 (2)", "USB Keys:Port 1 (3)",
                                               "Other"}));
    // A plain stored name finds the first twin only; a numbered one its own.
    const auto matches = [&](const std::string& stored) {
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (NamesDevice(shown[i], stored)) found.push_back(i);
        return found;
    };
    EXPECT_EQ(matches("USB Keys:Port 1 20:0"), (std::vector<std::size_t>{0}));
    EXPECT_EQ(matches("USB Keys:Port 1 (2)"), (std::vector<std::size_t>{2}));
    EXPECT_EQ(matches("USB Keys:Port 1 (3)"), (std::vector<std::size_t>{3}));
}

TEST(OwnPortNameTest, OwnClientsIncludingRenamedOnes) {
    EXPECT_TRUE(IsOwnPortName("Fendrel's Tonecast:out", "Fendrel's Tonecast"));
    EXPECT_TRUE(IsOwnPortName("Fendrel's Tonecast-01:out", "Fendrel's Tonecast"));
    EXPECT_FALSE(IsOwnPortName("Fendrel's Tonecaster:out", "Fendrel's Tonecast"));
    EXPECT_FALSE(IsOwnPortName("synth:Fendrel's Tonecast", "Fendrel's Tonecast"));
    EXPECT_TRUE(IsOwnPortName("Fendrel's Tonecast In:Fendrel's Tonecast", "Fendrel's Tonecast"));
    EXPECT_TRUE(IsOwnPortName("Fendrel's Tonecast (list)-02:x", "Fendrel's Tonecast"));
    EXPECT_FALSE(IsOwnPortName("Fendrel's Tonecast Pro:out", "Fendrel's Tonecast"));
    EXPECT_FALSE(IsOwnPortName("Fendrel's Tonecast-x:out", "Fendrel's Tonecast"));
}

} // namespace
