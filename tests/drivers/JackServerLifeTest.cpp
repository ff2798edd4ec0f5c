// The JACK layer through a server's whole life, against real servers: a
// server killed or stopped and started again, quickly or slowly, while the
// program's ports are open; a server that does not answer; a close during a
// loss. Every port of ours comes back on each new server by itself.
#include "JackClients.h"
#include "JackServer.h"

#include "JackClient.h"
#include "JackMidiDriver.h"
#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"

#include "TempDir.h"

#include "PortIndex.h"
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Asks until done says yes (asked once more only while it says no: it may be a step, not a question).
template <typename F>
bool WaitFor(F done, int ms = 5000) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        if (done()) return true;
        Wait(10);
    }
    return done();
}

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

const std::string Program = "Fendrel's Tonecast";

// How a server goes away and comes back.
struct TLoss {
    friend void PrintTo(const TLoss& loss, std::ostream* os) { *os << loss.name; }
    const char* name;
    bool kill;     // SIGKILL, else SIGTERM
    int awayMs;    // until the new server starts
    bool held;     // the program's threads stand still meanwhile, as under SIGSTOP
};

class JackServerLifeTest : public ::testing::TestWithParam<TLoss> {
protected:
    void SetUp() override {
        server = std::make_unique<JackServer>();
        sink = std::make_unique<Sink>("tonecast-life-sink");
        source = std::make_unique<Source>("tonecast-life-source");
        jack = std::make_shared<TJackClient>(Program);
        out = std::make_unique<JackMidiOutDriver>(jack);
        in = std::make_unique<JackMidiInDriver>(jack);
        ASSERT_TRUE(jack->Settle());
    }
    void TearDown() override {
        in.reset();
        out.reset();
        jack.reset();
        source.reset();
        sink.reset();
        server.reset();
    }

    std::int32_t SourceDevice() { return PortIndex(*in, source->PortName()); }
    bool OwnPortReachesTheSink() {
        return WaitFor([this] { return sink->ListenTo(Program); });
    }
    // A note sent now arrives at the sink.
    bool Heard(TMidiOutput& port, std::uint8_t note) {
        const std::size_t before = sink->Collect(0, 0).size();
        port.SendShortMsg({0x90, note, 100});
        const auto& got = sink->Collect(before + 1, 3000);
        return got.size() > before && got[before] == (Message{0x90, note, 100});
    }
    // A note from the source arrives at the input port.
    bool Received(TMidiInput& port, std::uint8_t note) {
        for (int i = 0; i < 50; ++i) {
            source->Send({0x90, note, 64});
            Wait(40);
            while (auto event = port.GetEvent())
                if (!event->IsLong() && event->message.data1 == note) return true;
        }
        return false;
    }

    // The server goes the given way; the test's own clients go first and come back after.
    void LoseTheServer(const TLoss& loss) {
        source.reset();
        sink.reset();
        if (loss.held) jack->WaitOutsideProcess(); // nothing of ours runs while the server goes
        if (loss.kill) server->Kill();
        else server->Stop();
        server.reset();
        Wait(loss.awayMs);
        server = std::make_unique<JackServer>();
        sink = std::make_unique<Sink>("tonecast-life-sink");
        source = std::make_unique<Source>("tonecast-life-source");
    }

    std::unique_ptr<JackServer> server;
    std::unique_ptr<Sink> sink;
    std::unique_ptr<Source> source;
    std::shared_ptr<TJackClient> jack;
    std::unique_ptr<JackMidiOutDriver> out;
    std::unique_ptr<JackMidiInDriver> in;
    TOpenMidiDevices open;
};

// The open output and input are made again on the new server, under the
// same names, whatever the device lists did meanwhile.
TEST_P(JackServerLifeTest, OpenPortsComeBackOnTheNewServer) {
    TMidiOutput output(*out, open);
    output.SetDeviceID(OwnPortDevice);
    ASSERT_TRUE(output.Open());
    TMidiInput input(*in, open);
    input.SetDeviceID(SourceDevice());
    ASSERT_TRUE(input.Open());
    input.Start();
    ASSERT_TRUE(OwnPortReachesTheSink());
    ASSERT_TRUE(Heard(output, 60));
    ASSERT_TRUE(Received(input, 61));
    const std::uint64_t first = jack->Generation();

    LoseTheServer(GetParam());
    ASSERT_TRUE(WaitFor([&] { return jack->Connected() && jack->Generation() > first; }, 8000))
        << "no client on the new server";
    ASSERT_TRUE(OwnPortReachesTheSink()) << "the program's own port did not come back";
    EXPECT_TRUE(Heard(output, 62)) << "a note on the new server was not heard";
    EXPECT_TRUE(Received(input, 63)) << "the input did not come back with its source";
    EXPECT_TRUE(WaitFor([&] { return output.Listeners() >= 1; })) << "the sink's link is not counted";
}

TEST_P(JackServerLifeTest, PortsClosedDuringTheLossAndOpenedAfter) {
    TMidiOutput output(*out, open);
    output.SetDeviceID(OwnPortDevice);
    ASSERT_TRUE(output.Open());
    ASSERT_TRUE(OwnPortReachesTheSink());
    ASSERT_TRUE(Heard(output, 60));
    const std::uint64_t first = jack->Generation();
    source.reset();
    sink.reset();
    server->Kill();
    server.reset();
    ASSERT_TRUE(WaitFor([&] { return !jack->Snapshot().connected; }));
    try { output.Close(); } catch (const std::exception&) {}
    Wait(GetParam().awayMs);
    server = std::make_unique<JackServer>();
    ASSERT_TRUE(WaitFor([&] { return jack->Snapshot().connected && jack->Generation() > first; }, 8000));
    output.SetDeviceID(OwnPortDevice);
    ASSERT_TRUE(output.Open());
    sink = std::make_unique<Sink>("tonecast-life-sink");
    ASSERT_TRUE(OwnPortReachesTheSink()) << "the program's own port did not come back";
    EXPECT_TRUE(Heard(output, 62)) << "a note on the new server was not heard";
}

INSTANTIATE_TEST_SUITE_P(Losses, JackServerLifeTest,
                         ::testing::Values(TLoss{"KilledQuickReturn", true, 200, false},
                                           TLoss{"KilledSlowReturn", true, 2500, false},
                                           TLoss{"StoppedQuickReturn", false, 200, false},
                                           TLoss{"StoppedSlowReturn", false, 2500, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The control run: a plain program of two clients (JackControlPair, no
// Tonecast) through the same losses, so that what fails on a new server can
// be told apart from what the program does. It must hear itself on each one.
TEST(JackControlRunTest, APlainSourceAndSinkHearEachOtherOnEveryNewServer) {
    auto server = std::make_unique<JackServer>();
    TempDir dir;
    const std::string status = dir.File("status");
    const pid_t pair = ::fork();
    if (pair == 0) {
        ::execl(TONECAST_CONTROL_PAIR, TONECAST_CONTROL_PAIR, status.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Notes heard on the server met in the given round, once some are.
    const auto heardOn = [&](long servers) {
        return WaitFor([&] {
            long met = 0, heard = 0;
            return std::sscanf(ReadFile(status).c_str(), "%ld %ld", &met, &heard) == 2 && met == servers && heard > 0;
        }, 8000);
    };
    const TLoss losses[] = {{"killed, slow", true, 2500, false}, {"stopped, quick", false, 300, false},
                            {"killed, quick", true, 300, false}, {"stopped, slow", false, 2500, false},
                            {"killed, slow again", true, 2500, false}};
    // And a sink of this process, downstream of the pair's source, as the end-to-end tests listen.
    int unheard = 0;
    const auto heardHere = [&] {
        Sink sink("tonecast-control-sink");
        jack_connect(sink.Client(), "control-source:out", sink.PortName().c_str());
        if (sink.Collect(1, 2000).empty()) ++unheard;
    };
    long servers = 1;
    EXPECT_TRUE(heardOn(servers)) << "the pair does not hear itself on the first server";
    heardHere();
    for (const TLoss& loss : losses) {
        SCOPED_TRACE(loss.name);
        if (loss.kill) server->Kill();
        else server->Stop();
        server.reset();
        Wait(loss.awayMs);
        server = std::make_unique<JackServer>();
        EXPECT_TRUE(heardOn(++servers)) << "a plain program got nothing through on a new server";
        heardHere();
    }
    std::printf("a sink of another process heard nothing on %d of %zu servers\n", unheard, std::size(losses) + 1);
    ::kill(pair, SIGKILL);
    ::waitpid(pair, nullptr, 0);
}

// A server that is there but does not answer holds up nothing the caller
// does: device lists, opening, sending and closing come back at once, while
// the client's own thread waits on the server.
TEST(JackSilentServerTest, HoldsUpNothingOfTheCallerAndTheExit) {
    JackServer server;
    Sink sink("tonecast-silent-sink");
    TOpenMidiDevices open;
    auto jack = std::make_shared<TJackClient>(Program);
    auto out = std::make_unique<JackMidiOutDriver>(jack);
    ASSERT_TRUE(jack->Settle());
    TMidiOutput port(*out, open);
    port.SetDeviceID(OwnPortDevice);
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(WaitFor([&] { return sink.ListenTo(Program); }));

    server.Pause();
    // A second client of ours meets the server while it does not answer.
    auto other = std::make_shared<TJackClient>("Fendrel's Tonecast Other");
    auto otherOut = std::make_unique<JackMidiOutDriver>(other);
    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i) {
        port.SendShortMsg({0x90, 60, 100});
        port.SendShortMsg({0x80, 60, 0});
        EXPECT_GE(out->Ports().size(), 1u);
        TMidiOutput second(*out, open);
        second.SetDeviceID(OwnPortDevice);
        EXPECT_TRUE(second.Open());
        second.Close();
        EXPECT_FALSE(otherOut->PortsKnown() && otherOut->OwnPort());
    }
    const long long took = MillisecondsSince(start);
    EXPECT_LT(took, 1000) << "the caller waited on the server";

    // The exit of a client whose thread is stuck in the server comes within its time.
    const auto exit = Clock::now();
    otherOut.reset();
    other.reset();
    const long long exitTook = MillisecondsSince(exit);
    EXPECT_LT(exitTook, 2500) << "the exit waited on the server";
    port.Close();
    const auto last = Clock::now();
    out.reset();
    jack.reset();
    EXPECT_LT(MillisecondsSince(last), 2500) << "the exit waited on the server";
    server.Resume();
}

// The note offs of a close leave before the port goes, counted in the
// server's cycles: a long period (8192 frames at 22,050 Hz is 370 ms) gets
// them out too.
TEST(JackLongPeriodTest, ClosingLetsTheNoteOffsOutInCycles) {
    JackServer server(22050, 8192);
    Sink sink("tonecast-long-sink");
    TOpenMidiDevices open;
    auto jack = std::make_shared<TJackClient>(Program);
    JackMidiOutDriver out(jack);
    ASSERT_TRUE(jack->Settle());
    TMidiOutput port(out, open);
    port.SetDeviceID(OwnPortDevice);
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(WaitFor([&] { return sink.ListenTo(Program); }));
    port.SendShortMsg({0x90, 64, 100});
    port.SendShortMsg({0x91, 67, 100});
    ASSERT_EQ(sink.Collect(2, 5000).size(), 2u);
    port.Close();
    const auto& got = sink.Collect(2 + 2 + 16, 5000);
    ASSERT_GE(got.size(), 4u) << "the note offs were cut off";
    EXPECT_EQ(got[2], (Message{0x90, 64, 0}));
    EXPECT_EQ(got[3], (Message{0x91, 67, 0}));
    EXPECT_EQ(got.size(), 2u + 2u + 16u) << "every channel's sustain off";
}

} // namespace
