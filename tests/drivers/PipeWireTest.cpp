// The JACK layer on PipeWire's libjack (the test runs under pw-jack) against a
// PipeWire session of its own: PipeWire told to end, or killed, and started
// again. Its libjack tells the loss only through jack_on_shutdown; the
// program's ports come back all the same.
#include "JackClients.h"
#include "PipeWireSession.h"

#include "JackClient.h"
#include "JackMidiDriver.h"
#include "midi/MidiOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
bool WaitFor(F done, int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

const std::string Program = "Fendrel's Tonecast";

class PipeWireTest : public ::testing::TestWithParam<int> {};

TEST_P(PipeWireTest, TheProgramsPortComesBackAfterARestart) {
    ASSERT_NE(std::getenv("LD_LIBRARY_PATH"), nullptr) << "run under pw-jack";
    PipeWireSession session;
    auto sink = std::make_unique<Sink>("tonecast-pw-sink");
    auto jack = std::make_shared<TJackClient>(Program);
    JackMidiOutDriver out(jack);
    ASSERT_TRUE(jack->Settle());
    TOpenMidiDevices open;
    TMidiOutput port(out, open);
    port.SetDeviceID(OwnPortDevice);
    ASSERT_TRUE(port.Open());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(WaitFor([&] { return sink->ListenTo(Program); }, 5000))
            << "the program's port is not there";
        // PipeWire makes a link live a little after jack_connect returns: the note is sent until heard.
        const std::size_t before = sink->Collect(0, 0).size();
        const auto note = static_cast<std::uint8_t>(60 + round);
        for (int i = 0; i < 20 && sink->Collect(0, 0).size() == before; ++i) {
            port.SendShortMsg({0x90, note, 100});
            sink->Collect(before + 1, 250);
        }
        const auto& got = sink->Collect(before + 1, 0);
        ASSERT_GT(got.size(), before) << "the note was not heard";
        EXPECT_EQ(got[before], (Message{0x90, note, 100}));

        const std::uint64_t generation = jack->Generation();
        sink.reset();
        session.Stop(GetParam());
        ASSERT_TRUE(WaitFor([&] { return !jack->Connected(); }, 5000)) << "the loss was not noticed";
        session.Start();
        ASSERT_TRUE(WaitFor([&] { return jack->Connected() && jack->Generation() > generation; }, 8000))
            << "no client after PipeWire came back";
        sink = std::make_unique<Sink>("tonecast-pw-sink");
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, PipeWireTest, ::testing::Values(SIGTERM, SIGKILL),
                         [](const auto& info) { return std::string(info.param == SIGTERM ? "Term" : "Kill"); });

} // namespace
