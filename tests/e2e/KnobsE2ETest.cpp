// The knob row of the real program: the Volume knob of a first start, and
// snapshots defined and recalled from their shortcuts, kept across a restart.
#include "ProgramE2E.h"

#include <sstream>

namespace e2e {
namespace {

class KnobsE2ETest : public ProgramE2ETest {
protected:
    // The screen point of the first knob: the first pixel of its dark disc in
    // the band above the keyboard, right of the channel field.
    bool FindKnob(int& x, int& y) {
        const std::string shot = dir.File("knobs.png");
        if (Shell("import -window root " + shot + " 2>/dev/null") != 0) return false;
        const std::string id = Output("xdotool search --name \"^Fendrel's Tonecast$\" | head -1");
        std::istringstream origin(Output("xwininfo -id " + id + " | awk '/Absolute upper-left X/{x=$4} "
                                         "/Absolute upper-left Y/{y=$4} END{print x, y}'"));
        int left = 0, top = 0;
        origin >> left >> top;
        const std::string crop = "400x110+" + std::to_string(left + 250) + "+" + std::to_string(top);
        // Five disc pixels in a row: no letter's edge has that many of one grey.
        std::istringstream first(Output("convert " + shot + " -crop " + crop + " +repage txt:- 2>/dev/null | "
                                        "awk -F'[,: ]+' 'tolower($0) ~ /#606060/ { run = ($2 == row && $1 == last + 1) ? run + 1 : 1; "
                                        "row = $2; last = $1; if (run == 5) { print $1 - 2, $2; exit } }'"));
        if (!(first >> x >> y)) return false;
        x += left + 250;
        y += top + 8; // from the disc's top edge to its middle
        return true;
    }
    std::vector<Message> ControlChanges(int controller) {
        std::vector<Message> found;
        for (const Message& m : sink->Collect(0, 0))
            if (m.size() == 3 && m[0] == 0xB0 && m[1] == controller) found.push_back(m);
        return found;
    }
};

TEST_F(KnobsE2ETest, TheVolumeKnobSendsAndSnapshotsComeBackAfterARestart) {
    int x = 0, y = 0;
    ASSERT_TRUE(FindKnob(x, y)) << "no knob on screen";
    const std::string at = std::to_string(x) + " " + std::to_string(y);
    // Dragged up by 10 pixels: controller 7 from 100 towards 110.
    Keys("mousemove " + at + " mousedown 1");
    for (int dy = 2; dy <= 10; dy += 2) Keys("mousemove " + std::to_string(x) + " " + std::to_string(y - dy));
    Keys("mouseup 1");
    // The drag's last message may still be on its way when the first ones are in.
    std::vector<Message> volume = ControlChanges(7);
    for (int waited = 0; waited < 3000 && (volume.empty() || volume.back()[2] != 110); waited += 50) {
        Sleep(50);
        volume = ControlChanges(7);
    }
    ASSERT_GE(volume.size(), 3u) << "dragging the knob sent no controller 7";
    EXPECT_EQ(volume.front(), (Message{0xB0, 7, 100}));
    EXPECT_EQ(volume.back(), (Message{0xB0, 7, 110}));

    // Ctrl+F5 asks for a name; F5 sends the stored value again.
    Keys("key ctrl+F5");
    bool asked = false;
    for (int i = 0; i < 40 && !asked; ++i) {
        Sleep(50);
        // No window manager here to give the new box the focus.
        asked = Shell("xdotool search --name '^Snapshot name$' windowfocus >/dev/null 2>&1") == 0;
    }
    ASSERT_TRUE(asked) << "no input box for the snapshot's name";
    Sleep(200);
    Keys("key ctrl+a");
    Keys("type Warm");
    Keys("key Return");
    Sleep(300);
    ASSERT_EQ(Shell("xdotool search --name \"^Fendrel's Tonecast$\" windowfocus >/dev/null 2>&1"), 0);
    const std::size_t before = ControlChanges(7).size();
    Keys("key F5");
    for (int i = 0; i < 40 && ControlChanges(7).size() == before; ++i) Sleep(50);
    ASSERT_EQ(ControlChanges(7).size(), before + 1) << "F5 recalled nothing";
    EXPECT_EQ(ControlChanges(7).back(), (Message{0xB0, 7, 110}));

    StopProgram();
    const std::string settings = ReadFile(SettingsFile());
    EXPECT_NE(settings.find("\"Name1\"=\"&1 Warm\""), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"Values1\"=\"076E\""), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"Knob Preset\"=\"Default\""), std::string::npos) << settings;

    StartProgram();
    const std::size_t restarted = ControlChanges(7).size();
    Keys("key F5");
    for (int i = 0; i < 40 && ControlChanges(7).size() == restarted; ++i) Sleep(50);
    ASSERT_EQ(ControlChanges(7).size(), restarted + 1) << "the snapshot did not come back";
    EXPECT_EQ(ControlChanges(7).back(), (Message{0xB0, 7, 110}));
}

} // namespace
} // namespace e2e
