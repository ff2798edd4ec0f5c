#pragma once
// A PipeWire session of the test's own, as a desktop has one: a session bus,
// PipeWire and WirePlumber, in a runtime folder of its own, each started and
// ended by its process id. JACK clients reach it through PipeWire's libjack,
// so a test using it runs under pw-jack.
#include "TempDir.h"

#include <string>

#include <sys/types.h>

class PipeWireSession {
public:
    PipeWireSession(); // starts the bus, PipeWire and WirePlumber; throws when PipeWire does not answer
    ~PipeWireSession();
    PipeWireSession(const PipeWireSession&) = delete;
    PipeWireSession& operator=(const PipeWireSession&) = delete;

    // As when the sound is mended by restarting it: PipeWire ends (with this
    // signal) and WirePlumber with it, then both start again.
    void Stop(int signal);
    void Start();
    const std::string& RuntimeDir() const { return runtime_; }

private:
    TempDir dir_;
    std::string runtime_;
    pid_t bus_ = -1, pipewire_ = -1, wireplumber_ = -1;
};
