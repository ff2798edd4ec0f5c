// The real program playing through its built-in synthesizer into a real JACK
// server: the device is remembered by name and sounds when a key is pressed.
#include "ProgramE2E.h"

namespace e2e {
namespace {

class SynthE2ETest : public ProgramE2ETest {
public:
    SynthE2ETest() {
        outputToSink = false;
        initialSettings = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast\\"
                          "MidiDevices]\r\n\"MidiOut\"=\"Built-in Synthesizer\"\r\n\r\n";
    }
};

// Keys pressed until the recorder hears the synthesizer; the font may still be loading.
bool Sounds(AudioRecorder& recorder) {
    for (int i = 0; i < 40 && recorder.FirstSoundFrame() < 0; ++i) {
        Shell("xdotool keydown q");
        Sleep(150);
        Shell("xdotool keyup q");
        Sleep(100);
    }
    return recorder.FirstSoundFrame() >= 0;
}

TEST_F(SynthE2ETest, TheRememberedSynthesizerOpensAndAKeySounds) {
    AudioRecorder recorder;
    bool connected = false;
    for (int i = 0; i < 200 && !connected; ++i) {
        Sleep(50);
        connected = recorder.ConnectFrom("Fendrel's Tonecast:Synthesizer");
    }
    ASSERT_TRUE(connected) << "the synthesizer's audio ports did not appear; see " << dir.File("tonecast.log");
    Sleep(300);
    EXPECT_EQ(recorder.FirstSoundFrame(), -1) << "sound before any key";
    EXPECT_TRUE(Sounds(recorder)) << "the key was not heard";
    EXPECT_TRUE(Maps("libfluidsynth")) << "the synthesizer's library is loaded when it is chosen";
    StopProgram();
    EXPECT_NE(ReadFile(SettingsFile()).find("\"MidiOut\"=\"Built-in Synthesizer\""), std::string::npos);
}

// The synthesizer's audio ports are on the program's own client: they come
// back with a new server and sound again, and the program ends cleanly after.
TEST_F(SynthE2ETest, TheSynthesizerSoundsAgainOnANewServerAndTheProgramEndsCleanly) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("server " + std::to_string(round));
        // A recorder that is never run on a new server (see the server-loss test)
        // is kept while another is tried: the next one gets another number.
        std::vector<std::unique_ptr<AudioRecorder>> recorders;
        bool heard = false;
        for (int attempt = 0; attempt < 3 && !heard; ++attempt) {
            auto& recorder = recorders.emplace_back(std::make_unique<AudioRecorder>());
            bool connected = false;
            for (int i = 0; i < 200 && !connected; ++i) {
                Sleep(50);
                connected = recorder->ConnectFrom("Fendrel's Tonecast:Synthesizer");
            }
            ASSERT_TRUE(connected) << "the synthesizer's audio ports are not there; see " << dir.File("tonecast.log");
            heard = Sounds(*recorder);
        }
        EXPECT_TRUE(heard) << "the key was not heard";
        if (round == 1) break;
        recorders.clear();
        sink.reset();
        server->Kill();
        server.reset();
        Sleep(500);
        server = std::make_unique<JackServer>();
    }
    StopProgram();
}

// A first start with nobody listening to the program's port: the hint in the
// status bar is one step from sound, by a click on it or by its key.
class FirstSoundE2ETest : public ProgramE2ETest, public ::testing::WithParamInterface<const char*> {
public:
    FirstSoundE2ETest() { outputToSink = false; }
};

TEST_P(FirstSoundE2ETest, TheHintsStepChoosesTheSynthesizerAndAKeySounds) {
    const std::string window = "$(xdotool search --name \"^Fendrel's Tonecast$\" | head -1)";
    AudioRecorder recorder;
    EXPECT_FALSE(recorder.ConnectFrom("Fendrel's Tonecast:Synthesizer")) << "the synthesizer is there before it is chosen";
    const std::string step = GetParam();
    if (step == "click") {
        // The status bar is the window's bottom line; the hint spans it.
        const std::string geometry = Output("xdotool getwindowgeometry --shell " + window + " | grep HEIGHT");
        const int height = std::atoi(geometry.substr(geometry.find('=') + 1).c_str());
        ASSERT_GT(height, 40) << geometry;
        Keys("mousemove --window " + window + " 100 " + std::to_string(height - 10) + " click 1");
    } else {
        Keys("windowfocus --sync " + window + " " + step);
    }
    bool connected = false;
    for (int i = 0; i < 200 && !connected; ++i) {
        Sleep(50);
        connected = recorder.ConnectFrom("Fendrel's Tonecast:Synthesizer");
    }
    ASSERT_TRUE(connected) << "the synthesizer was not chosen; see " << dir.File("tonecast.log");
    Keys("windowfocus --sync " + window);
    EXPECT_TRUE(Sounds(recorder)) << "the key was not heard";
    StopProgram();
    EXPECT_NE(ReadFile(SettingsFile()).find("\"MidiOut\"=\"Built-in Synthesizer\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Steps, FirstSoundE2ETest,
                         ::testing::Values("click", "key ctrl+b"),
                         [](const auto& info) { return info.index == 0 ? "Click" : "CtrlB"; });

} // namespace
} // namespace e2e
