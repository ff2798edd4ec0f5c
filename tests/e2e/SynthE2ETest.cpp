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

} // namespace
} // namespace e2e
