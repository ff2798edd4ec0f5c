#pragma once
// The system's MIDI outputs with the built-in synthesizer first, so it
// follows the program's own port in the "Midi Out" menu. Offered only with a
// sound font.
#include "BuiltInSynth.h"
#include "midi/GuiMailbox.h"
#include "midi/MidiDriver.h"
#include "midi/MidiPortNames.h"

#include <memory>
#include <string>

class TMidiOutWithSynth : public TMidiOutDriver {
public:
    static constexpr const char* DeviceName = BuiltInSynthesizerName;
    static constexpr const char* SynthId = "built-in synthesizer";

    // No sound font (empty): the system's ports alone. Opening the
    // synthesizer raises why it failed; a font that fails after the open is
    // told through the port's OnFailed, on the GUI thread woken through a
    // mailbox from the factory. Where the host factory gives a host at the
    // open, the synthesizer plays there, else through its own drivers.
    TMidiOutWithSynth(TMidiOutDriver& system, std::string soundFont,
                      TBuiltInSynth::TOutput output = TBuiltInSynth::TOutput::Audio, TMailboxFactory mailboxes = {},
                      TSynthHostFactory hosts = {});
    ~TMidiOutWithSynth() override;
    // Tests without an event loop: what a wake-up of the open synthesizer's mailbox does.
    void DeliverNotices();

    std::vector<TMidiPortInfo> Ports() override;
    std::optional<TMidiPortInfo> OwnPort() override { return system_.OwnPort(); }
    std::unique_ptr<TMidiOutPort> Open(const TMidiPortInfo& port) override;
    bool PortsKnown() override { return system_.PortsKnown(); }

    TBuiltInSynth* Synth() const; // while open

    class TSynthPort;

private:
    bool Offered() const { return !soundFont_.empty(); }

    TMidiOutDriver& system_;
    std::string soundFont_;
    TBuiltInSynth::TOutput output_;
    TMailboxFactory mailboxes_;
    TSynthHostFactory hosts_;
    TSynthPort* open_ = nullptr; // one synthesizer at a time
};
