#pragma once
// The one client of the JACK server in this process, shared by every port and
// every port-list query. libjack tears its shared state down when the server
// goes away, so the loss is handled in one place: the shutdown callback only
// marks the client lost and wakes the GUI thread, which closes it once before
// anything else calls libjack, and only after the libjack thread that reported
// the loss has ended: closing cancels the client's threads asynchronously, and
// one caught in its error path may hold a lock the close then waits for
// forever. While there is no client, the GUI thread is woken about once a
// second to look for a server (never starting one) and reconnects by itself;
// the users then hear that the ports changed.
#include "midi/MessageWindow.h"

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TJackClient {
public:
    // A driver using the client: called each cycle on the server's thread, and
    // on the GUI thread when ports came, went or were connected, or the server
    // left or returned.
    struct TUser {
        void (*process)(jack_nframes_t frames, void* owner) = nullptr;
        void* owner = nullptr;
        std::function<void()> changed;
    };

    TJackClient(std::string name, TMessageWindowFactory windows = {});
    ~TJackClient();
    TJackClient(const TJackClient&) = delete;
    TJackClient& operator=(const TJackClient&) = delete;

    const std::string& Name() const { return name_; }

    // GUI thread. A detached user's process is not running once Detach returns.
    void Attach(TUser* user);
    void Detach(TUser* user);

    // The live client, connecting when there is none and the last try is a
    // second old; nullptr when no server answers.
    jack_client_t* Client();
    // Whether ports made under this generation still belong to the live client.
    bool Alive(std::uint64_t generation) const;
    std::uint64_t Generation() const { return generation_.load(); }

    // Other clients' MIDI ports with these flags, in the server's order.
    std::vector<std::string> ForeignPorts(unsigned long flags);
    // A port of our own under a short name not yet taken.
    jack_port_t* Register(const std::string& shortName, unsigned long flags);
    void Unregister(jack_port_t* port, std::uint64_t generation);
    // Returns once no process callback is running.
    void WaitOutsideProcess() const;

    // GUI thread: what a wake-up of the client's window does; public for
    // tests without an event loop.
    void HandleWake();

private:
    static constexpr std::size_t MaxUsers = 4;

    bool Connect();
    void CloseClient();
    // Closes a lost client once the thread that reported it has ended (or took too long).
    bool CloseLostClient();
    bool ShutdownThreadEnded() const;
    void Notify();
    void Watch();
    // Ports of ours connected to each other would feed our output back into
    // our input: such connections are undone.
    void UndoSelfConnections();

    static int Process(jack_nframes_t frames, void* arg);
    static void Shutdown(jack_status_t, const char*, void* arg);
    static void Registration(jack_port_id_t, int, void* arg);
    static void Connection(jack_port_id_t, jack_port_id_t, int, void* arg);

    std::string name_;
    TMessageWindowFactory windows_;
    std::unique_ptr<TMessageWindow> window_;
    std::array<std::atomic<TUser*>, MaxUsers> users_{};
    jack_client_t* client_ = nullptr;
    std::atomic<std::uint64_t> generation_{0};
    std::atomic<bool> lost_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> changed_{false};
    std::atomic<bool> inProcess_{false};
    std::atomic<int> shutdownThread_{0};
    std::chrono::steady_clock::time_point lostSeen_{};
    bool attempted_ = false;
    std::chrono::steady_clock::time_point lastAttempt_;

    std::mutex watchLock_;
    std::condition_variable watchWake_;
    bool stopping_ = false;
    std::thread watcher_;
};
