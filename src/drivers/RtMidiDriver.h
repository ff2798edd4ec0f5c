#pragma once
// The MIDI system over RtMidi, used for the ALSA sequencer. The mapper
// (device -1) is the program's own virtual output port, which other programs
// connect to. Port names are shown without ALSA's client and port numbers.
#include "midi/MidiOutDriver.h"
#include "midi/MidiInDriver.h"

#include <map>
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

class RtMidiOutDriver : public MidiOutDriver {
public:
    explicit RtMidiOutDriver(std::string clientName);
    ~RtMidiOutDriver() override;

    std::uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) override;
    MMRESULT Open(MidiHandle& handle, std::int32_t deviceId) override;
    MMRESULT ShortMsg(MidiHandle handle, const TShortMessage& message) override;
    MMRESULT Reset(MidiHandle handle) override;
    MMRESULT Close(MidiHandle handle) override;
    bool HasMapper() override { return SystemAnswers(); } // the program's own port

private:
    struct Port;
    std::unique_ptr<RtMidiOut> NewClient(const std::string& name);
    bool SystemAnswers(); // false when there is no sequencer to talk to
    // RtMidi port numbers of other programs' ports, in RtMidi's order.
    std::vector<unsigned> ForeignPorts(std::vector<std::string>* names = nullptr);

    std::string clientName_;
    std::unique_ptr<RtMidiOut> probe_;
    std::map<MidiHandle, std::unique_ptr<Port>> ports_;
    MidiHandle nextHandle_ = 1;
};

// Input over RtMidi: other programs' output ports, in RtMidi's order. RtMidi
// hands whole messages to its thread; system exclusive data is cut into the
// buffers the port has added, and dropped when there are none.
class RtMidiInDriver : public MidiInDriver {
public:
    explicit RtMidiInDriver(std::string clientName);
    ~RtMidiInDriver() override;

    std::uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) override;
    MMRESULT Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback,
                  std::uintptr_t instance) override;
    MMRESULT GetID(MidiHandle handle, std::int32_t& deviceId) override;
    MMRESULT PrepareHeader(MidiHandle handle, MIDIHDR* header) override;
    MMRESULT UnprepareHeader(MidiHandle handle, MIDIHDR* header) override;
    MMRESULT AddBuffer(MidiHandle handle, MIDIHDR* header) override;
    MMRESULT Start(MidiHandle handle) override;
    MMRESULT Stop(MidiHandle handle) override;
    MMRESULT Reset(MidiHandle handle) override;
    MMRESULT Close(MidiHandle handle) override;

    struct Port; // public for RtMidi's callback

private:
    std::vector<unsigned> ForeignPorts(std::vector<std::string>* names = nullptr);
    Port* Find(MidiHandle handle);

    std::string clientName_;
    std::unique_ptr<RtMidiIn> probe_;
    std::map<MidiHandle, std::unique_ptr<Port>> ports_;
    MidiHandle nextHandle_ = 1;
};
