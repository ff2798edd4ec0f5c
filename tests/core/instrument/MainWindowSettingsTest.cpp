#include "instrument/MainWindowSettings.h"
#include "store/IniFile.h"
#include "store/MemoryStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace MainWindowSettings;

// The values as the registry file spells them, in the order they were written.
std::vector<std::string> WrittenLines(const TMemoryStore& store) {
    std::vector<std::string> lines;
    const std::string text = store.Text();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '"') lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

TEST(MainWindowSettingsTest, DefaultsAreWrittenInOrderAtTheirRegistryTypes) {
    TMemoryStore store;
    TMainWindowValues{}.Save(store);
    EXPECT_EQ(WrittenLines(store), (std::vector<std::string>{
                                       "\"Midi Thru\"=\"0\"",
                                       "\"First Time\"=\"0\"", // written false on every save
                                       "\"Program\"=dword:ffffffff",
                                       "\"Bank MSB\"=dword:ffffffff",
                                       "\"Bank LSB\"=dword:ffffffff",
                                       "\"MouseWheelController\"=dword:00000001",
                                       "\"MouseWheelSensitivity\"=dword:00000004",
                                       "\"StayOnTop\"=\"0\"",
                                       "\"PatchScript\"=\"\"", // no patch set: "Patch" is left alone
                                       "\"Knob Preset\"=\"Default\"",
                                       "\"DontShowExSettings\"=\"0\"",
                                       "\"DontShowExKnobPresets\"=\"0\"",
                                       "\"DontShowExKnobSnapshots\"=\"0\"",
                                       "\"DontShowExChords\"=\"0\"",
                                       "\"DontShowImSettings\"=\"0\"",
                                       "\"ImKnobPresetsOverwrite\"=\"0\"",
                                       "\"DontShowImKnobSnapshots\"=\"0\"",
                                       "\"ImChordsOverwrite\"=\"0\"",
                                   }));
}

TMainWindowValues Unusual() {
    TMainWindowValues v;
    v.midiThru = true;
    v.program = 127;
    v.bankMsb = 0;
    v.bankLsb = 5;
    v.mouseWheelController = 128;
    v.mouseWheelSensitivity = 9;
    v.knobPreset = "Strings & Pads";
    v.stayOnTop = true;
    v.customChord = 3;
    v.dialogFlags = {true, false, true, false, false, true, false, true};
    v.patchScript = "/home/u/GM.txt";
    v.patch = "GM\\Piano\\Grand";
    return v;
}

TEST(MainWindowSettingsTest, EveryValueComesBack) {
    TMemoryStore store;
    const TMainWindowValues saved = Unusual();
    saved.Save(store);
    TMainWindowValues read;
    read.Load(store, true);
    EXPECT_EQ(read.midiThru, true);
    EXPECT_EQ(read.firstTime, false);
    EXPECT_EQ(read.program, 127);
    EXPECT_EQ(read.bankMsb, 0);
    EXPECT_EQ(read.bankLsb, 5);
    EXPECT_EQ(read.mouseWheelController, 128);
    EXPECT_EQ(read.mouseWheelSensitivity, 9);
    EXPECT_EQ(read.knobPreset, "Strings & Pads");
    EXPECT_EQ(read.stayOnTop, true);
    EXPECT_EQ(read.customChord, 3);
    EXPECT_EQ(read.dialogFlags, saved.dialogFlags);
    EXPECT_EQ(store.ReadString(Section, "PatchScript", "?"), "/home/u/GM.txt");
    EXPECT_EQ(store.ReadString(Section, "Patch", "?"), "GM\\Piano\\Grand");
    // The custom chord is asked only while the keyboard plays one.
    read.Load(store, false);
    EXPECT_FALSE(read.customChord.has_value());
}

TEST(MainWindowSettingsTest, MissingValuesKeepTheCurrentStateExceptThruAndFirstTime) {
    TMemoryStore empty;
    TMainWindowValues v = Unusual();
    v.firstTime = false;
    v.Load(empty, true);
    EXPECT_FALSE(v.midiThru);
    EXPECT_TRUE(v.firstTime);
    EXPECT_EQ(v.customChord, 0);
    const TMainWindowValues current = Unusual();
    EXPECT_EQ(v.program, current.program);
    EXPECT_EQ(v.bankLsb, current.bankLsb);
    EXPECT_EQ(v.mouseWheelController, current.mouseWheelController);
    EXPECT_EQ(v.mouseWheelSensitivity, current.mouseWheelSensitivity);
    EXPECT_EQ(v.knobPreset, current.knobPreset);
    EXPECT_EQ(v.stayOnTop, current.stayOnTop);
    EXPECT_EQ(v.dialogFlags, current.dialogFlags);
}

TEST(MainWindowSettingsTest, WithoutAPatchSetThePatchOfTheLastSetStays) {
    TMemoryStore store;
    store.WriteString(Section, "Patch", "GM\\Piano\\Grand");
    TMainWindowValues v;
    v.patch = "ignored";
    v.Save(store);
    EXPECT_EQ(store.ReadString(Section, "PatchScript", "?"), "");
    EXPECT_EQ(store.ReadString(Section, "Patch", "?"), "GM\\Piano\\Grand");
    // A set without a current patch clears it.
    v.patchScript = "/x.txt";
    v.patch.clear();
    v.Save(store);
    EXPECT_EQ(store.ReadString(Section, "Patch", "?"), "");
}

TEST(MainWindowSettingsTest, OnlyTheRegistryIsTheRegistry) {
    TempDir dir;
    TMemoryStore registry;
    TIniFileStore file(dir.File("export.ini"));
    EXPECT_TRUE(registry.IsRegistry());
    EXPECT_FALSE(file.IsRegistry());
}

} // namespace
