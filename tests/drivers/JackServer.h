#pragma once
// A real JACK server with the dummy driver, started and stopped by the test
// under a server name of its own, so it never meets another one.
#include <cstdint>
#include <functional>
#include <string>

#include <sys/types.h>

class JackServer {
public:
    // Starts and waits until clients can connect; throws on failure.
    explicit JackServer(int sampleRate = 48000, int period = 256);
    ~JackServer();
    const std::string& Name() const { return name_; }
    // What the server said, for when a test cannot reach it.
    std::string LogFile() const { return "/tmp/" + name_ + ".log"; }
    void Stop(); // as when the user stops the server; the destructor does it too
    void Kill(); // as when the server crashes: SIGKILL; only its wake-up files are removed
    void Pause();  // a server that is there but does not answer: SIGSTOP
    void Resume(); // SIGCONT

private:
    bool Answers() const; // it takes clients
    std::string name_;
    pid_t pid_ = -1;
    // Two servers starting at once disturb each other's clients, whatever the
    // test runner schedules: one server of ours at a time on the machine.
    int lock_ = -1;
};

// JACK keeps the servers of a user in a shared registry of eight entries and
// reclaims an entry only for a server of the same name. Servers killed
// uncleanly leave theirs behind, and after eight of those no server starts
// ("Too many servers already active"), so JackServer frees the entries of
// servers that no longer run before it starts its own.
struct JackRegistryEntry {
    std::int32_t pid;
    char name[257];
};
// False when there is no registry yet or its layout is not the known one.
bool EditJackRegistry(const std::function<void(JackRegistryEntry (&servers)[8])>& edit);
