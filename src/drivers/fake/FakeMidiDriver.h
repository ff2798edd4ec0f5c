#pragma once
// Scripted MIDI output for tests: port names, failures to raise with their
// texts, and a log of every call the ports make.
#include "midi/MidiDriver.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class FakeMidiOutDriver : public TMidiOutDriver {
public:
    struct Sent {
        int port;
        std::uint32_t packed; // status | data 1 << 8 | data 2 << 16
    };
    static constexpr const char* OwnPortId = "own";

    std::vector<std::string> devices;   // device 0, 1, ...
    std::string mapperName = "Fake Mapper";
    bool mapperWithoutDevices = false;  // as a backend with a port of its own
    // A failure to raise, with its text; empty: the call succeeds.
    std::string openError, sendError, silenceError;
    std::function<void(int port)> onClose; // runs as a port closes
    int listeners = -1;                    // of every open port; -1: the system cannot tell

    std::vector<std::string> calls;     // "open -1", "open 0", "send", "silence", "close"
    int listings = 0;                   // calls that ask the system for its ports
    std::vector<Sent> sent;             // every short message that reached an open port
    std::map<int, std::int32_t> openPorts; // port number → device number, -1 for the own port

    // The open port fails by itself, as a sound font that does not load.
    void Fail(int port, const std::string& why);

    std::vector<TMidiPortInfo> Ports() override;
    std::optional<TMidiPortInfo> OwnPort() override;
    std::unique_ptr<TMidiOutPort> Open(const TMidiPortInfo& port) override;

private:
    class TPort;
    std::map<int, TPort*> live_;
    int nextPort_ = 1;
};
