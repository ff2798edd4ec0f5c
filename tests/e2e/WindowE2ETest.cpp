// The real program's window: a menu bar that can be read, and a window that
// keeps answering when the JACK server goes away under it.
#include "ProgramE2E.h"

namespace e2e {
namespace {

TEST_F(ProgramE2ETest, TheMenuCaptionsAreDrawnReadably) {
    const std::string id = Output("xdotool search --name \"^Fendrel's Tonecast$\" | head -1");
    ASSERT_FALSE(id.empty());
    const std::string geometry = Output("xwininfo -id " + id + " | awk '/Absolute upper-left X/{x=$4} "
                                        "/Absolute upper-left Y/{y=$4} /Width/{w=$2} END{print w\"x18+\"x\"+\"y}'");
    const std::string shot = dir.File("shot.png");
    ASSERT_EQ(Shell("import -window root " + shot + " 2>/dev/null"), 0);
    // The menu bar's strip: captions drawn on a light bar give contrast there.
    const std::string spread =
        Output("convert " + shot + " -crop " + geometry + " -colorspace gray -format '%[fx:standard_deviation]' info:");
    const std::string mean =
        Output("convert " + shot + " -crop " + geometry + " -colorspace gray -format '%[fx:mean]' info:");
    ASSERT_FALSE(spread.empty()) << geometry;
    EXPECT_GT(std::stod(spread), 0.05) << "no captions to be seen in " << geometry;
    EXPECT_GT(std::stod(mean), 0.3) << "the menu bar is dark";
}

TEST_F(ProgramE2ETest, TheWindowKeepsAnsweringWhenTheJackServerStops) {
    Keys("keydown q");
    ASSERT_EQ(sink->Collect(1, 5000).size(), 1u);
    sink.reset();
    server->Stop();
    Sleep(300);
    // Play on: a held key, more keys, the wheel and a click into the window.
    Keys("keyup q");
    for (int i = 0; i < 30; ++i) Keys("key w e r t");
    Keys("mousemove --window $(xdotool search --name \"^Fendrel's Tonecast$\" | head -1) 20 80 click 1");
    Sleep(300);
    StopProgram();
    const std::string settings = ReadFile(SettingsFile());
    EXPECT_NE(settings.find("\"First Time\"=\"0\""), std::string::npos) << "settings were not saved";
}

TEST_F(ProgramE2ETest, TheMouseWheelOverTheKeyboardMovesTheModulationController) {
    const std::size_t start = sink->Collect(0, 0).size();
    // Well inside the keyboard, below the bars and knobs above it.
    Keys("mousemove --window $(xdotool search --name \"^Fendrel's Tonecast$\" | head -1) 300 130 click 4");
    const auto& got = sink->Collect(start + 1, 5000);
    ASSERT_GE(got.size(), start + 1) << "the wheel sent nothing";
    EXPECT_EQ(got[start], (Message{0xB0, 1, 8}));
}

// Ctrl+S brings up the settings dialog; Escape closes it again.
TEST_F(ProgramE2ETest, CtrlSOpensTheSettingsAndEscapeClosesThem) {
    Keys("key ctrl+s");
    std::string found;
    for (int i = 0; i < 40 && found.empty(); ++i) {
        Sleep(50);
        found = Output("xdotool search --onlyvisible --name \"^Settings$\" 2>/dev/null | head -1");
    }
    ASSERT_FALSE(found.empty()) << "no settings dialog";
    Keys("windowfocus --sync " + found + " key Escape");
    bool gone = false;
    for (int i = 0; i < 40 && !gone; ++i) {
        Sleep(50);
        gone = Output("xdotool search --onlyvisible --name \"^Settings$\" 2>/dev/null | head -1").empty();
    }
    EXPECT_TRUE(gone) << "Escape left the dialog open";
}

class WideKeysE2ETest : public ProgramE2ETest {
public:
    WideKeysE2ETest() {
        const std::string root = "[HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\";
        initialSettings = "REGEDIT4\r\n\r\n" + root + "KeyboardForm]\r\n\"Left\"=dword:00000000\r\n"
                          "\"Top\"=dword:00000000\r\n\"Width\"=dword:000004e2\r\n\r\n" + root +
                          "Keyboard]\r\n\"KeyWidth\"=dword:00000014\r\n\"PaintStyle\"=dword:00000000\r\n\r\n";
    }
};

// 1250 pixels hold a keyboard of 20-pixel keys, not one of the design's 15.
TEST_F(WideKeysE2ETest, ASavedWiderKeyWidthComesBackWithItsWindowWidth) {
    const std::string width = Output("xwininfo -name \"Fendrel's Tonecast\" | awk '/Width/{print $2}'");
    EXPECT_EQ(width, "1250");
}

} // namespace
} // namespace e2e
