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
    // The font may still be loading: keep pressing until the synthesizer answers.
    for (int i = 0; i < 40 && recorder.FirstSoundFrame() < 0; ++i) {
        Keys("keydown q");
        Sleep(150);
        Keys("keyup q");
        Sleep(100);
    }
    EXPECT_GE(recorder.FirstSoundFrame(), 0) << "the key was not heard";
    EXPECT_TRUE(Maps("libfluidsynth")) << "the synthesizer's library is loaded when it is chosen";
    StopProgram();
    EXPECT_NE(ReadFile(SettingsFile()).find("\"MidiOut\"=\"Built-in Synthesizer\""), std::string::npos);
}

} // namespace
} // namespace e2e
