#pragma once
// Scripted MIDI input for tests: input is injected from any thread, as a
// driver's own thread would deliver it.
#include "midi/MidiDriver.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class FakeMidiInDriver : public TMidiInDriver {
public:
    std::vector<std::string> devices;
    std::string openError;          // a failure to raise, with its text
    std::vector<std::string> calls; // "open 0", "close", in order
    // Injected times are milliseconds after this.
    TMidiClock::time_point clockZero = TMidiClock::now();

    std::vector<TMidiPortInfo> Ports() override;
    std::unique_ptr<TMidiInPort> Open(const TMidiPortInfo& port, TMidiReceiver& receiver) override;

    // Any thread. False when no port is open.
    bool InjectShort(std::uint32_t packed, std::uint32_t time);
    bool InjectLong(const std::vector<std::uint8_t>& bytes, std::uint32_t time);
    bool IsOpen();

private:
    class TPort;
    bool Inject(const std::uint8_t* bytes, std::size_t size, std::uint32_t time);

    std::mutex mutex_; // also keeps a closing port from passing a delivery in progress
    std::vector<TPort*> ports_;
};
