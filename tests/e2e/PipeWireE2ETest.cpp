// The real program on PipeWire's JACK (this test runs under pw-jack, and so
// does the program it starts) with a PipeWire session of the test's own: a
// restart of PipeWire, as when the sound is mended, gives the program's port
// back by itself.
#include "ProgramE2E.h"

namespace e2e {
namespace {

class PipeWireE2ETest : public ProgramE2ETest {
public:
    PipeWireE2ETest() { onPipeWire = true; }
    // A key pressed now reaches the sink.
    bool Heard(const char* key, std::uint8_t note) {
        const std::size_t before = sink->Collect(0, 0).size();
        Keys(std::string("windowfocus --sync $(xdotool search --name \"^Fendrel's Tonecast$\" | head -1) key ") + key);
        for (int i = 0; i < 50; ++i) {
            const auto& got = sink->Collect(before + 1, 100);
            for (std::size_t m = before; m < got.size(); ++m)
                if (got[m] == Message{0x90, note, 100}) return true;
        }
        return false;
    }
};

TEST_F(PipeWireE2ETest, ARestartOfPipeWireGivesTheProgramsPortBack) {
    ASSERT_NE(std::getenv("LD_LIBRARY_PATH"), nullptr) << "run under pw-jack";
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGKILL");
        ASSERT_TRUE(Heard("q", 60)) << "a key was not heard";
        sink.reset();
        pipewire->Stop(signal);
        Sleep(300);
        pipewire->Start();
        sink = std::make_unique<Sink>("tonecast-e2e-sink");
        bool connected = false;
        for (int i = 0; i < 200 && !connected; ++i) {
            Sleep(50);
            connected = sink->ListenTo("Fendrel's Tonecast");
        }
        ASSERT_TRUE(connected) << "the program's port did not come back; see " << dir.File("tonecast.log");
        EXPECT_TRUE(Heard("e", 64)) << "a key after the restart was not heard";
    }
    StopProgram();
}

} // namespace
} // namespace e2e
