// The WinMM MIDI system under Wine: its devices as ports, a failed open with
// the system's own text, and the mapper as the program's own port.
#include "WinMmMidi.h"

#include <gtest/gtest.h>

namespace {

template <typename Driver>
void ExpectNamedPorts(Driver& driver) {
    const auto ports = driver.Ports();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_FALSE(ports[i].name.empty());
        EXPECT_EQ(ports[i].id, std::to_string(i));
    }
}

// A device number past the system's: the system's text, not one of the program's own.
template <typename Open>
void ExpectTheSystemsTextFor(std::size_t count, Open open) {
    try {
        open(TMidiPortInfo{"gone", std::to_string(count + 3)});
        FAIL() << "no exception";
    } catch (const EMidiError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
        EXPECT_STRNE(e.what(), MidiFailure::NoSuchPort);
        EXPECT_STRNE(e.what(), "Unspecified error");
    }
}

TEST(WinMmTest, OutputDevicesTheMapperAndAFailedOpen) {
    TWinMmMidiOut out;
    ExpectNamedPorts(out);
    ExpectTheSystemsTextFor(out.Ports().size(), [&](const TMidiPortInfo& p) { out.Open(p); });
    const auto mapper = out.OwnPort();
    ASSERT_TRUE(mapper);
    EXPECT_FALSE(mapper->name.empty());
    // The mapper opens where the system has a set-up, else it says why.
    try {
        auto port = out.Open(*mapper);
        port->Send({0x90, 60, 0});
        port->Silence();
    } catch (const EMidiError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
}

TEST(WinMmTest, InputDevicesAndAFailedOpen) {
    struct : TMidiReceiver {
        void Receive(const std::uint8_t*, std::size_t, TMidiClock::time_point) noexcept override {}
    } receiver;
    TWinMmMidiIn in;
    ExpectNamedPorts(in);
    ExpectTheSystemsTextFor(in.Ports().size(), [&](const TMidiPortInfo& p) { in.Open(p, receiver); });
}

} // namespace
