// The input port against a real JACK server: closing and reopening while
// system exclusive floods in never lets the server's thread write into
// buffers the port has released (run under AddressSanitizer).
#include "JackClients.h"
#include "JackServer.h"

#include "midi/MidiInput.h"
#include "JackClient.h"
#include "JackMidiDriver.h"

#include "PortIndex.h"
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(JackInputTest, ClosingDuringASystemExclusiveFloodIsSafe) {
    ::setenv("TONECAST_MIDI_API", "jack", 1);
    JackServer server;
    Source source("tonecast-flood");
    JackMidiInDriver driver("Fendrel's Tonecast");
    ASSERT_TRUE(driver.Client().Settle());
    const std::int32_t device = PortIndex(driver, source.PortName());
    ASSERT_GE(device, 0);

    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        Message sysex(3000, 0x11); // three of the port's buffers each
        sysex.front() = 0xF0;
        sysex.back() = 0xF7;
        while (flooding.load()) {
            source.Send(sysex);
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    TOpenMidiDevices open;
    TMidiInput port(driver, open);
    int received = 0;
    for (int round = 0; round < 40; ++round) {
        port.SetDeviceID(device);
        ASSERT_TRUE(port.Open());
        port.Start();
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(15);
        while (std::chrono::steady_clock::now() < until) {
            while (auto event = port.GetEvent()) received += event->IsLong() ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        port.Stop();
        port.Close();
    }
    flooding.store(false);
    flood.join();
    EXPECT_GT(received, 0) << "no system exclusive arrived at all";
}

TEST(JackServerTest, StartsAlthoughDeadServersFillTheRegistry) {
    { JackServer first; } // makes sure the registry exists
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    ASSERT_TRUE(EditJackRegistry([dead](JackRegistryEntry (&servers)[8]) {
        for (int i = 0; i < 8; ++i) {
            if (servers[i].pid != 0) continue;
            servers[i].pid = dead;
            std::snprintf(servers[i].name, sizeof servers[i].name, "stale-%d", i);
        }
    }));
    EXPECT_NO_THROW(JackServer second);
}

} // namespace
