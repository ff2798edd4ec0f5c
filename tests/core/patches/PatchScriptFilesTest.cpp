// Real patch scripts written by others: each must load, with the counts
// established by reading the files.
#include "patches/PatchScriptParser.h"
#include "patches/PatchScriptWriter.h"

#include <gtest/gtest.h>

namespace {

struct FileCase {
    const char* file;
    TPatchSetCounts counts;
    const char* firstMode;
};

class PatchScriptFilesTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(PatchScriptFilesTest, LoadsWithTheCountsOfTheFile) {
    TWarnings warnings;
    auto list = LoadPatchList(std::string(TONECAST_TEST_DATA "/patchscripts/") + GetParam().file, &warnings);
    EXPECT_EQ(CountPatchList(*list), GetParam().counts);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(list->Mode(0)->Name(), GetParam().firstMode);
    TWarnings rewrittenWarnings;
    auto rewritten = LoadPatchScript(WritePatchScript(*list), &rewrittenWarnings);
    EXPECT_TRUE(SamePatchTree(*list, *rewritten));
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, PatchScriptFilesTest,
    ::testing::Values(FileCase{"yamaha-xg-frinika.txt", {2, 161, 981, 687}, "XG Voices"},
                      FileCase{"yamaha-xg-frinika-cr-only.txt", {2, 161, 981, 687}, "XG Voices"},
                      FileCase{"yamaha-sw1000xg-frinika.txt", {1, 189, 2403, 0}, "SW1000 Voices"},
                      FileCase{"yamaha-sw1000xg-frinika-crlf.txt", {1, 189, 2403, 0}, "SW1000 Voices"},
                      FileCase{"technics-wsa1.txt", {1, 7, 524, 0}, "WSA-1"},
                      FileCase{"fractal-axefx3-negative-lsb.txt", {1, 4, 512, 0}, "VOICE MODE"},
                      FileCase{"yamaha-modx-large.txt", {1, 79, 9985, 0}, "VOICE MODE"}));

TEST(PatchScriptFilesTest, SpotChecks) {
    auto xg = LoadPatchList(TONECAST_TEST_DATA "/patchscripts/yamaha-xg-frinika.txt", nullptr);
    EXPECT_EQ(xg->Mode(1)->MidiChannel(), 9);
    auto axe = LoadPatchList(TONECAST_TEST_DATA "/patchscripts/fractal-axefx3-negative-lsb.txt", nullptr);
    const TPatchProgram* p = axe->Mode(0)->Group(0)->Program(0);
    EXPECT_EQ(p->LSB(), -1);
    auto header = LoadPatchListHeader(TONECAST_TEST_DATA "/patchscripts/technics-wsa1.txt");
    EXPECT_EQ(header->DeviceManufacturer, "Technics");
    EXPECT_EQ(header->ScriptName, "Technics WSA-1 Instrument");
    EXPECT_EQ(header->ModeCount(), 0u);
}

// Our own script: every General MIDI program once, in its family of eight, and
// every drum kit on channel 10 with the names of keys 35 to 81 and no others.
TEST(PatchScriptFilesTest, TheShippedGeneralMidiScriptNamesEveryProgramAndDrumKey) {
    TWarnings warnings;
    auto gm = LoadPatchList(TONECAST_SHIPPED_DATA "/patchscripts/General-MIDI.txt", &warnings);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(CountPatchList(*gm), (TPatchSetCounts{2, 16, 137, 423}));
    const TPatchModeGroup& melodic = *gm->Mode(0);
    EXPECT_EQ(melodic.MidiChannel(), -1);
    int expected = 0;
    for (std::size_t g = 0; g < melodic.GroupCount(); ++g) {
        ASSERT_EQ(melodic.Group(g)->ProgramCount(), 8u) << melodic.Group(g)->Name();
        for (std::size_t p = 0; p < 8; ++p, ++expected) {
            const TPatchProgram& program = *melodic.Group(g)->Program(p);
            EXPECT_EQ(program.Program(), expected) << program.Name();
            EXPECT_EQ(program.MSB(), -1);
            EXPECT_EQ(program.LSB(), -1);
        }
    }
    EXPECT_EQ(gm->FindProgram("General MIDI\\Piano\\Acoustic Grand Piano")->Program(), 0);
    EXPECT_EQ(gm->FindProgram("General MIDI\\Sound Effects\\Gunshot")->Program(), 127);
    const TPatchModeGroup& drums = *gm->Mode(1);
    EXPECT_EQ(drums.MidiChannel(), 9);
    for (std::size_t k = 0; k < drums.ProgramCount(); ++k) {
        const TKeyNames* names = drums.Program(k)->KeyNames();
        ASSERT_NE(names, nullptr) << drums.Program(k)->Name();
        for (int key = 0; key < 128; ++key) EXPECT_EQ((*names)[key].empty(), key < 35 || key > 81) << key;
        EXPECT_EQ((*names)[36], "Bass Drum 1");
        EXPECT_EQ((*names)[81], "Open Triangle");
    }
}

TEST(PatchScriptFilesTest, MissingFileRaisesTheSystemReason) {
    try {
        LoadPatchList("/nonexistent/file.txt", nullptr);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
    }
}

} // namespace
