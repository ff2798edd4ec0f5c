#pragma once
// The MIDI system over JACK, straight on libjack: the ports are other
// clients' MIDI ports by their full names, the program's own port is an
// output of ours that others connect to. Nothing here waits on the server:
// port lists are the client's last snapshot, ports are made and removed by
// the client's own thread, and messages go through a ring that the process
// callback empties. An open port lives on through the server's generations:
// it is made again on every new server. Ports that appear or disappear, and
// a server that goes away, are told through OnPortsChanged on the GUI thread.
#include "midi/GuiMailbox.h"
#include "midi/MidiDriver.h"

#include <memory>
#include <string>

class TJackClient;

class JackMidiOutDriver : public TMidiOutDriver {
public:
    // Ports on the process's one client, which connects on first use.
    explicit JackMidiOutDriver(std::shared_ptr<TJackClient> client);
    // On a client of its own; port changes wake the GUI thread through mailboxes from the factory.
    explicit JackMidiOutDriver(std::string clientName, TMailboxFactory mailboxes = {});
    ~JackMidiOutDriver() override;

    TJackClient& Client() const;

    std::vector<TMidiPortInfo> Ports() override;
    std::optional<TMidiPortInfo> OwnPort() override;
    std::unique_ptr<TMidiOutPort> Open(const TMidiPortInfo& port) override;
    bool PortsKnown() override;

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};

class JackMidiInDriver : public TMidiInDriver {
public:
    explicit JackMidiInDriver(std::shared_ptr<TJackClient> client);
    explicit JackMidiInDriver(std::string clientName, TMailboxFactory mailboxes = {});
    ~JackMidiInDriver() override;

    TJackClient& Client() const;

    std::vector<TMidiPortInfo> Ports() override;
    std::unique_ptr<TMidiInPort> Open(const TMidiPortInfo& port, TMidiReceiver& receiver) override;
    bool PortsKnown() override;

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};
