// A server that goes away while the program's client activates: activation
// fails after the loss was reported. The next client, on a server that
// answers, must be kept. No real server fails on demand, so this binary puts
// itself between the program and libjack for jack_activate alone (its own
// definitions win over the shared library's); the server is real.
#include "JackClients.h"
#include "JackServer.h"

#include "JackClient.h"
#include "JackMidiDriver.h"
#include "midi/MidiOutput.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

const std::string Program = "Fendrel's Tonecast";

std::atomic<int> failuresLeft{0};
JackInfoShutdownCallback reportLoss = nullptr;
void* reportLossArg = nullptr;

template <typename F>
F Real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

bool IsTheProgram(jack_client_t* client) { return Program == jack_get_client_name(client); }

} // namespace

extern "C" void jack_on_info_shutdown(jack_client_t* client, JackInfoShutdownCallback callback, void* arg) {
    if (IsTheProgram(client)) {
        reportLoss = callback;
        reportLossArg = arg;
    }
    Real<void (*)(jack_client_t*, JackInfoShutdownCallback, void*)>("jack_on_info_shutdown")(client, callback, arg);
}

extern "C" int jack_activate(jack_client_t* client) {
    if (IsTheProgram(client) && failuresLeft.load() > 0) {
        --failuresLeft;
        // As libjack does: the loss is told from a thread of its own, which then ends.
        std::thread([] {
            if (reportLoss) reportLoss(JackServerError, "the server went away", reportLossArg);
        }).join();
        return -1;
    }
    return Real<int (*)(jack_client_t*)>("jack_activate")(client);
}

namespace {

template <typename F>
bool WaitFor(F done, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

TEST(JackActivationTest, AFailedActivationDoesNotCostTheNextClient) {
    JackServer server;
    Sink sink("tonecast-activation-sink");
    failuresLeft = 1;
    auto jack = std::make_shared<TJackClient>(Program);
    JackMidiOutDriver out(jack);
    ASSERT_TRUE(WaitFor([&] { return jack->Connected(); }, 5000)) << "no client after the failed activation";
    EXPECT_EQ(failuresLeft.load(), 0) << "the failing activation was never tried";
    ASSERT_TRUE(jack->Settle());
    const std::uint64_t kept = jack->Generation();
    TOpenMidiDevices open;
    TMidiOutput output(out, open);
    output.SetDeviceID(OwnPortDevice);
    ASSERT_TRUE(output.Open());
    ASSERT_TRUE(WaitFor([&] { return sink.ListenTo(Program); }, 5000)) << "the program's port is not there";
    // The client made after the failure stays: no loss is held against it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(jack->Generation(), kept) << "the healthy client was closed and opened again";
    EXPECT_TRUE(jack->Connected());
    const std::size_t before = sink.Collect(0, 0).size();
    output.SendShortMsg({0x90, 60, 100});
    const auto& got = sink.Collect(before + 1, 3000);
    ASSERT_GT(got.size(), before) << "a note on the kept client was not heard";
    EXPECT_EQ(got[before], (Message{0x90, 60, 100}));
}

} // namespace
