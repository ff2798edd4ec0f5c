// The built-in synthesizer: rendered to memory with the real sound font, as a
// device among the system's, and playing into a real JACK server.
#include "BuiltInSynth.h"
#include "fake/FakeMidiDriver.h"
#include "ModuleLoader.h"
#include "SynthMidiOut.h"
#include "JackClient.h"
#include "JackSynthHost.h"

#include "TempDir.h"
#include "JackClients.h"
#include "JackServer.h"

#include <jack/jack.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

constexpr int Rate = 48000;

void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::uint32_t Pack(int status, int data1, int data2) {
    return static_cast<std::uint32_t>(status | (data1 << 8) | (data2 << 16));
}

float Peak(const std::vector<float>& samples) {
    float peak = 0;
    for (float s : samples) peak = std::max(peak, std::fabs(s));
    return peak;
}

class MemorySynthTest : public ::testing::Test {
protected:
    void SetUp() override {
        font = FindSoundFont();
        ASSERT_FALSE(font.empty()) << "no sound font in /usr/share/sounds/sf2 (scripts/setup installs one)";
        std::string error;
        synth = TBuiltInSynth::Create(font, TBuiltInSynth::TOutput::Memory, error);
        ASSERT_NE(synth, nullptr) << error;
    }
    std::vector<float> Render(int frames) {
        std::vector<float> left(static_cast<std::size_t>(frames)), right(left.size());
        synth->Render(left.data(), right.data(), frames);
        for (std::size_t i = 0; i < left.size(); ++i) left[i] = (left[i] + right[i]) / 2;
        return left;
    }
    // A note of the given program, its first half second.
    std::vector<float> NoteOf(int program) {
        synth->Send(ShortMessage::ProgramChange(0, program));
        synth->Send({0x90, 60, 100});
        std::vector<float> sound = Render(Rate / 2);
        synth->Send({0x80, 60, 0});
        synth->Silence();
        Render(Rate / 10);
        return sound;
    }
    std::string font;
    std::unique_ptr<TBuiltInSynth> synth;
};

TEST_F(MemorySynthTest, ANoteSoundsWithinTenMillisecondsAndDecaysToSilenceAfterItsRelease) {
    ASSERT_TRUE(synth->WaitLoaded(20000));
    EXPECT_EQ(synth->AudioDriver(), "memory");
    EXPECT_LT(Peak(Render(Rate / 10)), 1e-6f) << "sound before any note";
    synth->Send({0x90, 60, 100});
    EXPECT_GT(Peak(Render(Rate / 100)), 1e-3f) << "nothing in the first 10 ms";
    synth->Send({0x90, 60, 0}); // a note on of velocity 0 ends it
    float last = 1;
    for (int block = 0; block < 50 && last > 0; ++block) last = Peak(Render(Rate / 10));
    EXPECT_LT(last, 1e-5f) << "still sounding five seconds after the release";
}

TEST_F(MemorySynthTest, AProgramChangeChangesTheSound) {
    ASSERT_TRUE(synth->WaitLoaded(20000));
    const std::vector<float> piano = NoteOf(0);
    const std::vector<float> again = NoteOf(0);
    const std::vector<float> organ = NoteOf(19); // church organ
    double same = 0, different = 0;
    for (std::size_t i = 0; i < piano.size(); ++i) {
        same += std::fabs(piano[i] - again[i]);
        different += std::fabs(piano[i] - organ[i]);
    }
    EXPECT_GT(different, 10 * (same + 1e-3)) << "program 19 sounds like program 0";
}

// What the channels are told while the font loads is not lost: the program
// chosen then is the one heard afterwards.
TEST_F(MemorySynthTest, AProgramSentWhileTheFontLoadsIsKept) {
    synth->Send({0xC0, 19, 0});
    ASSERT_TRUE(synth->WaitLoaded(20000));
    synth->Send({0x90, 60, 100});
    const std::vector<float> early = Render(Rate / 2);
    synth->Send({0x80, 60, 0});
    synth->Silence();
    Render(Rate / 10);
    const std::vector<float> organ = NoteOf(19);
    double difference = 0;
    for (std::size_t i = 0; i < early.size(); ++i) difference += std::fabs(early[i] - organ[i]);
    EXPECT_LT(difference, 1e-3 * static_cast<double>(early.size()));
}

TEST(SoundFontTest, TheLargestFontOfTheFolderIsChosen) {
    TempDir dir;
    EXPECT_EQ(FindSoundFont(dir.Path().string()), "");
    EXPECT_EQ(FindSoundFont(dir.File("missing")), "");
    WriteFile(dir.File("Small.sf2"), std::string(100, 'x'));
    WriteFile(dir.File("Big.SF2"), std::string(300, 'x'));
    WriteFile(dir.File("Bigger.txt"), std::string(900, 'x'));
    EXPECT_EQ(FindSoundFont(dir.Path().string()), std::filesystem::canonical(dir.File("Big.SF2")).string());
}

// Why the synthesizer did not open; empty when it did.
std::string OpenFailure(TMidiOutWithSynth& out) {
    try {
        out.Open(out.Ports()[0]);
    } catch (const EMidiError& e) {
        return e.what();
    }
    return {};
}

TEST(SynthDeviceTest, TheSynthesizerComesFirstAndTheSystemsDevicesFollow) {
    FakeMidiOutDriver system;
    system.devices = {"Synth A", "Synth B"};
    TMidiOutWithSynth out(system, FindSoundFont(), TBuiltInSynth::TOutput::Memory);
    const auto ports = out.Ports();
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].name, "Built-in Synthesizer");
    EXPECT_EQ(ports[1].name, "Synth A");
    EXPECT_EQ(ports[2].name, "Synth B");
    EXPECT_EQ(out.OwnPort()->name, "Fake Mapper");
    auto synth = out.Open(ports[0]);
    try {
        out.Open(ports[0]);
        ADD_FAILURE() << "a second synthesizer opened";
    } catch (const EMidiError& e) {
        EXPECT_STREQ(e.what(), MidiFailure::InUse);
    }
    auto other = out.Open(ports[2]);
    ASSERT_NE(out.Synth(), nullptr);
    synth->Send({0x90, 60, 100});
    other->Send({0x90, 61, 100});
    ASSERT_EQ(system.sent.size(), 1u); // only the system's device got a message
    EXPECT_EQ(system.sent[0].packed, Pack(0x90, 61, 100));
    EXPECT_EQ(system.openPorts.begin()->second, 1);
    synth->Silence();
    synth.reset();
    EXPECT_EQ(out.Synth(), nullptr);
    other.reset();
    EXPECT_TRUE(system.openPorts.empty());
}

TEST(SynthDeviceTest, WithoutASoundFontItIsNotOfferedAndAMissingFontIsAClearFailure) {
    FakeMidiOutDriver system;
    system.devices = {"Synth A"};
    TMidiOutWithSynth without(system, "");
    ASSERT_EQ(without.Ports().size(), 1u);
    EXPECT_EQ(without.Ports()[0].name, "Synth A");

    TMidiOutWithSynth gone(system, "/nonexistent/GM.sf2", TBuiltInSynth::TOutput::Memory);
    EXPECT_EQ(OpenFailure(gone), "The built-in synthesizer has no General MIDI sound font.");
}

// A font that is no sound font, or one cut short, does not open, and says why.
TEST(SynthDeviceTest, DamagedFontsFailToOpenAndSayWhy) {
    TempDir dir;
    const std::string whole = ReadFile(FindSoundFont());
    ASSERT_GT(whole.size(), 100000u);
    std::string noise(65536, '\0');
    unsigned seed = 7;
    for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    struct Case {
        const char* file;
        std::string bytes;
        const char* says;
    };
    for (const Case& c : {Case{"cut.sf2", whole.substr(0, 65536), "is damaged"},
                          Case{"noise.sf2", noise, "is no SoundFont 2 file"},
                          Case{"empty.sf2", "", "is no SoundFont 2 file"}}) {
        SCOPED_TRACE(c.file);
        WriteFile(dir.File(c.file), c.bytes);
        FakeMidiOutDriver system;
        TMidiOutWithSynth out(system, dir.File(c.file), TBuiltInSynth::TOutput::Memory);
        const std::string why = OpenFailure(out);
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
        EXPECT_EQ(out.Synth(), nullptr);
    }
}

// A font whose outside looks whole but whose inside is not fails while it
// loads: the device says so on the GUI thread, to be closed.
TEST(SynthDeviceTest, AFontThatFailsWhileLoadingIsReportedAfterTheOpen) {
    TempDir dir;
    std::string bytes = "RIFF";
    const std::uint32_t size = 4 + 4096;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(size >> (8 * i));
    bytes += "sfbk" + std::string(4096, '\x5a');
    WriteFile(dir.File("hollow.sf2"), bytes);
    FakeMidiOutDriver system;
    TMidiOutWithSynth out(system, dir.File("hollow.sf2"), TBuiltInSynth::TOutput::Memory);
    std::vector<std::string> failures;
    auto port = out.Open(out.Ports()[0]);
    port->OnFailed = [&](const std::string& why) { failures.push_back(why); };
    for (int i = 0; i < 500 && failures.empty(); ++i) {
        Wait(10);
        out.DeliverNotices();
    }
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("The sound font \"", 0), 0u) << failures[0];
}

// Threads of this process, as the kernel counts them.
int ThreadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

// The real font with its sample data grown to about 140 MB: a load that takes a while.
std::string LargeFont(const TempDir& dir) {
    std::string font = ReadFile(FindSoundFont());
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(font[at]) |
                                          static_cast<unsigned char>(font[at + 1]) << 8 |
                                          static_cast<unsigned char>(font[at + 2]) << 16 |
                                          static_cast<std::uint32_t>(static_cast<unsigned char>(font[at + 3])) << 24);
    };
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) font[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
    };
    const std::size_t sdta = font.find("sdta");
    const std::size_t smpl = font.find("smpl", sdta);
    if (sdta == std::string::npos || smpl == std::string::npos) return {};
    const std::uint32_t grow = 140u << 20;
    const std::size_t end = smpl + 8 + u32(smpl + 4);
    font.insert(end, std::string(grow, '\0'));
    put(smpl + 4, u32(smpl + 4) + grow);
    put(sdta - 4, u32(sdta - 4) + grow);
    put(4, u32(4) + grow);
    const std::string path = dir.File("large.sf2");
    WriteFile(path, font);
    return path;
}

// Ending the program while a large font loads ends at once, and leaves no
// thread of the synthesizer running.
TEST(SynthDeviceTest, ClosingDuringALoadEndsPromptlyAndJoinsTheLoader) {
    TempDir dir;
    const std::string font = LargeFont(dir);
    ASSERT_FALSE(font.empty());
    const int before = ThreadCount();
    std::string error;
    auto synth = TBuiltInSynth::Create(font, TBuiltInSynth::TOutput::Memory, error);
    ASSERT_NE(synth, nullptr) << error;
    Wait(30);
    const auto start = std::chrono::steady_clock::now();
    synth.reset();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("closing during the load took %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took.count(), 1000);
    EXPECT_EQ(ThreadCount(), before) << "a thread of the synthesizer is still running";
}

// Without a sound system the device does not open, and says why.
TEST(SynthDeviceTest, NoAudioOutputIsAClearOpenFailure) {
    ::setenv("JACK_DEFAULT_SERVER", "tonecast-no-such-server", 1);
    FakeMidiOutDriver system;
    TMidiOutWithSynth out(system, FindSoundFont());
    const auto start = std::chrono::steady_clock::now();
    std::string why;
    std::unique_ptr<TMidiOutPort> port;
    try {
        port = out.Open(out.Ports()[0]);
    } catch (const EMidiError& e) {
        why = e.what();
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("opening took %lld ms\n", static_cast<long long>(took.count()));
    ::unsetenv("JACK_DEFAULT_SERVER");
    if (port) {
        // This machine plays sound through PipeWire, PulseAudio or ALSA.
        EXPECT_NE(out.Synth()->AudioDriver(), "jack");
        GTEST_SKIP() << "this machine has an audio system";
    }
    std::printf("%s\n", why.c_str());
    EXPECT_EQ(why.rfind("The built-in synthesizer found no audio output", 0), 0u) << why;
}

TEST(SynthJackTest, ANoteSoundsWithinTwoPeriodsAndCloseLeavesSilence) {
    JackServer server;
    FakeMidiOutDriver system;
    auto jack = std::make_shared<TJackClient>("Fendrel's Tonecast");
    TMidiOutWithSynth out(system, FindSoundFont(), TBuiltInSynth::TOutput::Audio, {},
                          [jack] { return std::make_unique<TJackSynthHost>(jack); });
    std::unique_ptr<TMidiOutPort> port;
    ASSERT_NO_THROW(port = out.Open(out.Ports()[0]));
    EXPECT_EQ(out.Synth()->AudioDriver(), "memory") << "rendered in the program's own client";
    ASSERT_TRUE(out.Synth()->WaitLoaded(20000));
    ASSERT_TRUE(jack->Settle());

    AudioRecorder recorder;
    ASSERT_NE(recorder.Client(), nullptr);
    ASSERT_TRUE(recorder.ConnectFrom("Fendrel's Tonecast:Synthesizer"));
    const jack_nframes_t period = jack_get_buffer_size(recorder.Client());
    Wait(100);
    EXPECT_EQ(recorder.FirstSoundFrame(), -1) << "sound before any note";

    // The test thread may be held up between reading the clock and sending:
    // the best of three notes counts.
    std::int64_t best = -1;
    for (int attempt = 0; attempt < 3 && (best < 0 || best > 2 * static_cast<std::int64_t>(period)); ++attempt) {
        recorder.ResetFirstSound();
        const std::int64_t sent = jack_frame_time(recorder.Client());
        port->Send({0x90, 60, 110});
        for (int i = 0; i < 100 && recorder.FirstSoundFrame() < 0; ++i) Wait(5);
        ASSERT_GE(recorder.FirstSoundFrame(), 0) << "the note was never heard";
        const std::int64_t latency = recorder.FirstSoundFrame() - sent;
        if (best < 0 || latency < best) best = latency;
        port->Send({0x80, 60, 0});
        port->Silence();
        // The next note is timed from silence, not from the reverb's tail.
        for (int i = 0; i < 100; ++i) {
            recorder.ResetPeak();
            Wait(30);
            if (recorder.RecentPeak() < 1e-4f) break;
        }
    }
    EXPECT_LE(best, 2 * static_cast<std::int64_t>(period)) << "heard " << best << " frames after it was sent";

    port.reset();
    Wait(50);
    recorder.ResetPeak();
    Wait(100);
    EXPECT_EQ(recorder.RecentPeak(), 0.0f) << "sound after close";
}

} // namespace

// The synthesizer's module is found beside the tests as beside the program; a
// module or function that is not there is an error that names it.
TEST(ModuleLoaderTest, AMissingModuleOrFunctionIsAnErrorThatNamesIt) {
    const struct {
        const char* module;
        const char* function;
        const char* error; // "" when found
    } cases[] = {
        {"tonecast-synth", "TonecastCreateSynth", ""},
        {"tonecast-synth", "TonecastNoSuchFunction", "The module \"tonecast-synth\" has no TonecastNoSuchFunction."},
        {"tonecast-none", "TonecastCreateSynth", "The module \"tonecast-none.so\" is not installed beside the program."},
    };
    for (const auto& c : cases) {
        std::string error;
        void* function = LoadModuleSymbol(c.module, c.function, error);
        EXPECT_EQ(function != nullptr, *c.error == 0) << c.module << " " << c.function;
        EXPECT_EQ(error, c.error);
    }
    EXPECT_TRUE(ModuleLoaded("tonecast-synth"));
    EXPECT_FALSE(ModuleLoaded("tonecast-none"));
}
