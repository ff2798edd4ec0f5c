#pragma once
// The program's MIDI system, chosen and contacted on first use rather than at
// start, so that nothing on the way to the first window waits for it: the
// ALSA sequencer through RtMidi when it opens, else JACK.
#include "BuiltInSynth.h"
#include "midi/MidiOutDriver.h"
#include "midi/GuiMailbox.h"
#include "midi/MidiInDriver.h"

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

class TSystemMidiOut : public MidiOutDriver {
public:
    TSystemMidiOut(std::string clientName, std::shared_ptr<TJackClient> jack)
        : clientName_(std::move(clientName)), jack_(std::move(jack)) {}

    std::uint32_t GetNumDevs() override { return Real().GetNumDevs(); }
    MMRESULT GetDevCaps(std::int32_t id, std::string& name) override { return Real().GetDevCaps(id, name); }
    MMRESULT Open(MidiHandle& handle, std::int32_t id) override { return Real().Open(handle, id); }
    MMRESULT ShortMsg(MidiHandle handle, const TShortMessage& message) override { return Real().ShortMsg(handle, message); }
    MMRESULT Reset(MidiHandle handle) override { return Real().Reset(handle); }
    MMRESULT Close(MidiHandle handle) override { return Real().Close(handle); }
    MMRESULT GetErrorText(MMRESULT code, std::string& text) override { return Real().GetErrorText(code, text); }
    bool HasMapper() override { return Real().HasMapper(); }
    bool DevicesKnown() override { return Real().DevicesKnown(); }
    int Listeners(MidiHandle handle) override { return Real().Listeners(handle); }

private:
    MidiOutDriver& Real();
    std::string clientName_;
    std::shared_ptr<TJackClient> jack_;
    std::unique_ptr<MidiOutDriver> real_;
};

class TSystemMidiIn : public MidiInDriver {
public:
    TSystemMidiIn(std::string clientName, std::shared_ptr<TJackClient> jack)
        : clientName_(std::move(clientName)), jack_(std::move(jack)) {}

    std::uint32_t GetNumDevs() override { return Real().GetNumDevs(); }
    MMRESULT GetDevCaps(std::int32_t id, std::string& name) override { return Real().GetDevCaps(id, name); }
    MMRESULT Open(MidiHandle& handle, std::int32_t id, MidiInCallback callback, std::uintptr_t instance) override {
        return Real().Open(handle, id, callback, instance);
    }
    MMRESULT GetID(MidiHandle handle, std::int32_t& id) override { return Real().GetID(handle, id); }
    MMRESULT PrepareHeader(MidiHandle handle, MIDIHDR* h) override { return Real().PrepareHeader(handle, h); }
    MMRESULT UnprepareHeader(MidiHandle handle, MIDIHDR* h) override { return Real().UnprepareHeader(handle, h); }
    MMRESULT AddBuffer(MidiHandle handle, MIDIHDR* h) override { return Real().AddBuffer(handle, h); }
    MMRESULT Start(MidiHandle handle) override { return Real().Start(handle); }
    MMRESULT Stop(MidiHandle handle) override { return Real().Stop(handle); }
    MMRESULT Reset(MidiHandle handle) override { return Real().Reset(handle); }
    MMRESULT Close(MidiHandle handle) override { return Real().Close(handle); }
    MMRESULT GetErrorText(MMRESULT code, std::string& text) override { return Real().GetErrorText(code, text); }
    bool DevicesKnown() override { return Real().DevicesKnown(); }

private:
    MidiInDriver& Real();
    std::string clientName_;
    std::shared_ptr<TJackClient> jack_;
    std::unique_ptr<MidiInDriver> real_;
};
