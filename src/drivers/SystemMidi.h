#pragma once
// The program's MIDI system, chosen and contacted on first use rather than at
// start, so that nothing on the way to the first window waits for it: the
// ALSA sequencer through RtMidi when it opens, else JACK.
#include "BuiltInSynth.h"
#include "midi/GuiMailbox.h"
#include "midi/MidiDriver.h"

#include <memory>
#include <string>

// The MIDI system this process uses and the versions of its libraries, one
// per line, for the About box.
std::string MidiSystemDescription();

class TJackClient;

// The process's one JACK client, for both directions; it connects only when JACK is the system used.
std::shared_ptr<TJackClient> MakeJackClient(std::string clientName, TMailboxFactory mailboxes);
// Where JACK is the system used, the built-in synthesizer plays in its client.
TSynthHostFactory SynthHostsOf(std::shared_ptr<TJackClient> jack);

class TSystemMidiOut : public TMidiOutDriver {
public:
    TSystemMidiOut(std::string clientName, std::shared_ptr<TJackClient> jack)
        : clientName_(std::move(clientName)), jack_(std::move(jack)) {}

    std::vector<TMidiPortInfo> Ports() override { return Real().Ports(); }
    std::optional<TMidiPortInfo> OwnPort() override { return Real().OwnPort(); }
    std::unique_ptr<TMidiOutPort> Open(const TMidiPortInfo& port) override { return Real().Open(port); }
    bool PortsKnown() override { return Real().PortsKnown(); }

private:
    TMidiOutDriver& Real();
    std::string clientName_;
    std::shared_ptr<TJackClient> jack_;
    std::unique_ptr<TMidiOutDriver> real_;
};

class TSystemMidiIn : public TMidiInDriver {
public:
    TSystemMidiIn(std::string clientName, std::shared_ptr<TJackClient> jack)
        : clientName_(std::move(clientName)), jack_(std::move(jack)) {}

    std::vector<TMidiPortInfo> Ports() override { return Real().Ports(); }
    std::unique_ptr<TMidiInPort> Open(const TMidiPortInfo& port, TMidiReceiver& receiver) override {
        return Real().Open(port, receiver);
    }
    bool PortsKnown() override { return Real().PortsKnown(); }

private:
    TMidiInDriver& Real();
    std::string clientName_;
    std::shared_ptr<TJackClient> jack_;
    std::unique_ptr<TMidiInDriver> real_;
};
