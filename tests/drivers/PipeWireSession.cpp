#include "PipeWireSession.h"

#include <jack/jack.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t Launch(const std::vector<std::string>& args, const std::string& log) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

void End(pid_t& pid, int signal = SIGTERM) {
    if (pid <= 0) return;
    ::kill(pid, signal);
    for (int i = 0; i < 50; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

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
    bus_ = Launch({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + bus}, dir_.File("bus.log"));
    for (int i = 0; i < 100 && !std::filesystem::exists(runtime_ + "/bus"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    Start();
}

PipeWireSession::~PipeWireSession() {
    End(wireplumber_);
    End(pipewire_);
    End(bus_);
}

void PipeWireSession::Start() {
    pipewire_ = Launch({"pipewire"}, dir_.File("pipewire.log"));
    for (int i = 0; i < 100 && !std::filesystem::exists(runtime_ + "/pipewire-0"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    wireplumber_ = Launch({"wireplumber"}, dir_.File("wireplumber.log"));
    for (int i = 0; i < 100; ++i) {
        if (Answers()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("PipeWire does not answer; see " + dir_.File("pipewire.log"));
}

void PipeWireSession::Stop(int signal) {
    End(pipewire_, signal);
    End(wireplumber_);
    std::error_code error;
    std::filesystem::remove(runtime_ + "/pipewire-0", error); // what a killed server leaves
    std::filesystem::remove(runtime_ + "/pipewire-0.lock", error);
}
