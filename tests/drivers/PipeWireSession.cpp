#include "PipeWireSession.h"

#include "Processes.h"

#include <jack/jack.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <sys/stat.h>

namespace {

// A JACK client gets through to PipeWire.
bool Answers() {
    jack_client_t* probe = jack_client_open("tonecast-probe", JackNoStartServer, nullptr);
    if (!probe) return false;
    jack_client_close(probe);
    return true;
}

} // namespace

PipeWireSession::PipeWireSession() : runtime_((dir_.Path() / "runtime").string()) {
    std::filesystem::create_directory(runtime_);
    ::chmod(runtime_.c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    ::unsetenv("PIPEWIRE_REMOTE");
    const std::string bus = "unix:path=" + runtime_ + "/bus";
    bus_ = Spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + bus}, dir_.File("bus.log"), true);
    for (int i = 0; i < 100 && !std::filesystem::exists(runtime_ + "/bus"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    Start();
}

PipeWireSession::~PipeWireSession() {
    ::Stop(wireplumber_);
    ::Stop(pipewire_);
    ::Stop(bus_);
}

void PipeWireSession::Start() {
    pipewire_ = Spawn({"pipewire"}, dir_.File("pipewire.log"), true);
    for (int i = 0; i < 100 && !std::filesystem::exists(runtime_ + "/pipewire-0"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    wireplumber_ = Spawn({"wireplumber"}, dir_.File("wireplumber.log"), true);
    for (int i = 0; i < 100; ++i) {
        if (Answers()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("PipeWire does not answer; see " + dir_.File("pipewire.log"));
}

void PipeWireSession::Stop(int signal) {
    ::Stop(pipewire_, signal);
    ::Stop(wireplumber_);
    pipewire_ = wireplumber_ = -1;
    std::error_code error;
    std::filesystem::remove(runtime_ + "/pipewire-0", error); // what a killed server leaves
    std::filesystem::remove(runtime_ + "/pipewire-0.lock", error);
}
