#pragma once
// The MIDI system over JACK, straight on libjack: the devices are other
// clients' MIDI ports, the mapper is the program's own output port. Nothing
// here waits on the server: device lists are the client's last snapshot,
// ports are made and removed by the client's own thread, and messages go
// through a ring that the process callback empties. An open port lives on
// through the server's generations: it is made again on every new server.
// Ports that appear or disappear, and a server that goes away, are told
// through OnPortsChanged on the GUI thread.
#include "midi/MidiOutDriver.h"
#include "midi/GuiMailbox.h"
#include "midi/MidiInDriver.h"

#include <memory>
#include <string>

class TJackClient;

class JackMidiOutDriver : public MidiOutDriver {
public:
    // Ports on the process's one client, which connects on first use.
    explicit JackMidiOutDriver(std::shared_ptr<TJackClient> client);
    // On a client of its own; port changes wake the GUI thread through mailboxes from the factory.
    explicit JackMidiOutDriver(std::string clientName, TMailboxFactory mailboxes = {});
    ~JackMidiOutDriver() override;

    TJackClient& Client() const;

    std::uint32_t GetNumDevs() override;
    MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) override;
    MMRESULT Open(MidiHandle& handle, std::int32_t deviceId) override;
    MMRESULT ShortMsg(MidiHandle handle, const TShortMessage& message) override;
    MMRESULT Reset(MidiHandle handle) override;
    MMRESULT Close(MidiHandle handle) override;
    bool HasMapper() override;
    bool DevicesKnown() override;
    int Listeners(MidiHandle handle) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

class JackMidiInDriver : public MidiInDriver {
public:
    explicit JackMidiInDriver(std::shared_ptr<TJackClient> client);
    explicit JackMidiInDriver(std::string clientName, TMailboxFactory mailboxes = {});
    ~JackMidiInDriver() override;

    TJackClient& Client() const;

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
    bool DevicesKnown() override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
