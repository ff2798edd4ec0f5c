#pragma once
// The MIDI system over RtMidi, used for the ALSA sequencer. A port's
// identity is RtMidi's full name of it, with ALSA's client and port numbers;
// it is shown without them.
#include "midi/MidiDriver.h"

#include <memory>
#include <vector>
#include <string>

class RtMidiIn;
class RtMidiOut;

enum class TMidiApi { Alsa, Jack };

// The API chosen for this process, decided once on first use: the ALSA
// sequencer when it opens, else JACK. TONECAST_MIDI_API=alsa|jack forces one.
TMidiApi ChosenMidiApi();
const char* MidiApiName(TMidiApi api);
// Whether this machine has an ALSA sequencer to talk to.
bool AlsaSequencerOpens();

class RtMidiOutDriver : public TMidiOutDriver {
public:
    explicit RtMidiOutDriver(std::string clientName);
    ~RtMidiOutDriver() override;

    std::vector<TMidiPortInfo> Ports() override;
    // The program's own virtual port, while the sequencer answers.
    std::optional<TMidiPortInfo> OwnPort() override;
    std::unique_ptr<TMidiOutPort> Open(const TMidiPortInfo& port) override;

private:
    bool SystemAnswers(); // false when there is no sequencer to talk to

    std::string clientName_;
    std::unique_ptr<RtMidiOut> probe_;
};

// Input over RtMidi: other programs' output ports. RtMidi hands whole
// messages to its thread, which delivers them to the receiver.
class RtMidiInDriver : public TMidiInDriver {
public:
    explicit RtMidiInDriver(std::string clientName);
    ~RtMidiInDriver() override;

    std::vector<TMidiPortInfo> Ports() override;
    std::unique_ptr<TMidiInPort> Open(const TMidiPortInfo& port, TMidiReceiver& receiver) override;

private:
    std::string clientName_;
    std::unique_ptr<RtMidiIn> probe_;
};
