#pragma once
// The MIDI system as the program's ports see it, on every backend: the ports
// there are, each with the name shown and stored and an identity the driver
// finds it by; an open port sends messages or hands received bytes to a
// receiver; every failure is an EMidiError carrying the system's text.
#include "midi/ShortMessage.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct TMidiPortInfo {
    std::string name; // as shown and stored
    std::string id;   // what the driver opens it by; stable while the port exists
    bool operator==(const TMidiPortInfo&) const = default;
};

class EMidiError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TMidiClock = std::chrono::steady_clock;

// An open output port. Destroying it closes it.
class TMidiOutPort {
public:
    virtual ~TMidiOutPort() = default;
    // The message as sent; the driver alone turns it into bytes.
    virtual void Send(const TShortMessage& message) = 0;
    // Every note the port left sounding off, then the sustain pedal up on
    // every channel; the first failure is raised once all were tried.
    virtual void Silence() = 0;
    // How many other ports take what this one sends, on a backend that makes
    // a port of its own for it; -1 where that cannot be told.
    virtual int Listeners() const { return -1; }
    // GUI thread: the port failed by itself (a sound font that did not load,
    // the server refused it); the text says why. The owner closes it.
    std::function<void(const std::string& why)> OnFailed;
};

class TMidiOutDriver {
public:
    virtual ~TMidiOutDriver() = default;
    // Other programs' ports, now. A system that does not answer has none.
    virtual std::vector<TMidiPortInfo> Ports() = 0;
    // The port that is the program's own (ALSA, JACK: one others connect to;
    // Windows: the system's mapper), where the system offers one now.
    virtual std::optional<TMidiPortInfo> OwnPort() { return std::nullopt; }
    virtual std::unique_ptr<TMidiOutPort> Open(const TMidiPortInfo& port) = 0;
    // Whether the system has answered since it was first used: a system
    // asked on a thread of its own lists no ports until then, and tells
    // OnPortsChanged once it answers.
    virtual bool PortsKnown() { return true; }

    // GUI thread: ports appeared or disappeared, or the system went away.
    // Drivers that cannot tell leave it uncalled; their lists are read afresh
    // whenever a device menu opens.
    std::function<void()> OnPortsChanged;
};

// Where an open input port delivers, on the driver's own thread: one whole
// short message, or system exclusive (a whole message, or a piece of one
// that does not start with 0xF0), with the time it arrived. Nothing here may
// wait or allocate.
class TMidiReceiver {
public:
    virtual ~TMidiReceiver() = default;
    virtual void Receive(const std::uint8_t* bytes, std::size_t size, TMidiClock::time_point time) noexcept = 0;
};

// An open input port. Destroying it closes it; no delivery runs once the
// destructor has returned.
class TMidiInPort {
public:
    virtual ~TMidiInPort() = default;
};

class TMidiInDriver {
public:
    virtual ~TMidiInDriver() = default;
    virtual std::vector<TMidiPortInfo> Ports() = 0;
    // Delivery starts at once and goes to the receiver until the port is destroyed.
    virtual std::unique_ptr<TMidiInPort> Open(const TMidiPortInfo& port, TMidiReceiver& receiver) = 0;
    virtual bool PortsKnown() { return true; }
    std::function<void()> OnPortsChanged;
};

// The texts of the failures the program's own backends raise.
namespace MidiFailure {
inline constexpr const char* NoSystem =
    "No MIDI system is available: no ALSA sequencer and no running JACK server were found.";
inline constexpr const char* NoSuchPort = "The device identifier given is out of range.";
inline constexpr const char* NotEnabled = "The driver did not enable the device.";
inline constexpr const char* InUse =
    "The device is already in use by another program. Wait until it is free, then try again.";
inline constexpr const char* Vanished =
    "The MIDI device in the current set-up was not found. It may have been disconnected.";
inline constexpr const char* Busy = "The port is busy sending data. Wait until it is finished, then try again.";
inline constexpr const char* Refused = "An error occurred in the MIDI system for which no other code fits.";
inline constexpr const char* NotShort = "A parameter given to the MIDI system is not valid.";
} // namespace MidiFailure
