#pragma once
// The MIDI system of Windows: the WinMM devices by their numbers, the mapper
// as the program's own port, failures with the system's own texts. WinMM's
// buffers for system exclusive input stay in here.
#include "midi/MidiDriver.h"

class TWinMmMidiOut final : public TMidiOutDriver {
public:
    std::vector<TMidiPortInfo> Ports() override;
    // The system's mapper is there on every Windows; opening it says why when it fails.
    std::optional<TMidiPortInfo> OwnPort() override;
    std::unique_ptr<TMidiOutPort> Open(const TMidiPortInfo& port) override;
};

class TWinMmMidiIn final : public TMidiInDriver {
public:
    std::vector<TMidiPortInfo> Ports() override;
    std::unique_ptr<TMidiInPort> Open(const TMidiPortInfo& port, TMidiReceiver& receiver) override;
};
