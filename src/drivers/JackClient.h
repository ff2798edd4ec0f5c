#pragma once
// The one client of the JACK server in this process, shared by every port of
// ours (MIDI in and out, the synthesizer's audio) and every port-list query.
//
// Threads: every libjack call that can wait on the server (open, activate,
// register, connect, port lists, unregister, close) runs on the client's own
// thread, never on the caller's. The GUI thread states what it wants (the
// ports of ours there should be) and reads the last snapshot of the server
// (its ports, whether it answers); it hears of changes through its
// mailbox. The server's process thread runs each port's cycle; sends reach it
// through rings of the ports' own and never wait.
//
// Generations: each server the client meets is a generation. Every port of
// ours is made again on each new one from what it was asked to be, and its
// links are made once their peers are there. The loss is learnt from both
// jack_on_info_shutdown (libjack of JACK 2) and jack_on_shutdown (PipeWire's
// libjack calls only this one); the lost client is closed on the client's
// thread once the thread that reported the loss let go of it.
#include "midi/GuiMailbox.h"

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What a port of ours is to be on every server.
struct TJackPortSpec {
    bool audio = false;             // else MIDI
    unsigned long flags = 0;        // JackPortIsInput or JackPortIsOutput
    std::vector<std::string> names; // a short name per channel (1 or 2); a taken one gets a number
    std::string peer;               // MIDI: the other client's port it is linked with; "" for none
    bool toPlayback = false;        // audio: linked to the system's playback ports
};

// One cycle of one port: the buffers of its channels.
struct TJackCycle {
    void* const* buffers;
    jack_nframes_t frames;
    std::uint64_t generation; // of the server running it
    jack_nframes_t sampleRate;
};

// What a port does in a cycle, on the server's thread; nothing here may wait.
class TJackPortWork {
public:
    virtual ~TJackPortWork() = default;
    virtual void Process(const TJackCycle& cycle) = 0;
};

class TJackPort {
public:
    static constexpr std::size_t MaxChannels = 2;

    TJackPort(TJackPortSpec spec, std::shared_ptr<TJackPortWork> work) : spec_(std::move(spec)), work_(std::move(work)) {}
    const TJackPortSpec& Spec() const { return spec_; }
    // The generation of the server it is registered on; 0 while on none.
    std::uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }
    // Other ports connected to its first channel, as last seen; -1 while on no server.
    int Listeners() const { return listeners_.load(); }
    // The server refused to register it.
    bool Failed() const { return failed_.load(); }

private:
    friend class TJackCore;
    TJackPortSpec spec_;
    std::shared_ptr<TJackPortWork> work_;
    std::array<jack_port_t*, MaxChannels> handles_{}; // the client's thread writes them before the generation
    std::atomic<std::uint64_t> generation_{0};
    std::atomic<int> listeners_{-1};
    std::atomic<bool> failed_{false};
    bool linkPending_ = false; // the client's thread only
};

// The server as last seen by the client's thread.
struct TJackSnapshot {
    bool answered = false; // a server was looked for at least once
    bool connected = false;
    std::vector<std::string> sources; // other clients' MIDI outputs, in the server's order
    std::vector<std::string> sinks;   // other clients' MIDI inputs
    jack_nframes_t sampleRate = 0;
};

class TJackCore;

class TJackClient {
public:
    // GUI thread: called when the snapshot, a port's state or its connections changed.
    using TChanged = std::function<void()>;

    TJackClient(std::string name, TMailboxFactory mailboxes = {});
    // Never hangs: a client thread stuck in a server that does not answer is
    // left behind once the exit's time is up.
    ~TJackClient();
    TJackClient(const TJackClient&) = delete;
    TJackClient& operator=(const TJackClient&) = delete;

    const std::string& Name() const;

    // GUI thread. The first use starts the client's thread, which looks for a
    // server about once a second while there is none (never starting one).
    void Attach(TChanged* user);
    void Detach(TChanged* user);
    TJackSnapshot Snapshot() const;
    // Whether the live server takes sends now, and its generation.
    bool Connected() const;
    std::uint64_t Generation() const;

    // A port of ours, made on the live server and on every later one.
    std::shared_ptr<TJackPort> Add(TJackPortSpec spec, std::shared_ptr<TJackPortWork> work);
    // Takes the port away: its cycles go on until drained() (asked on the
    // client's thread) holds and one more cycle has ended, then it is
    // unregistered. Its work is not called once the port is withdrawn.
    void Remove(const std::shared_ptr<TJackPort>& port, std::function<bool()> drained = {});
    // Any thread but the server's: returns once no cycle is running.
    void WaitOutsideProcess() const;

    // Tests: waits until the client's thread has done all it was asked and
    // has tried a server once; true when connected then.
    bool Settle(int timeoutMs = 5000) const;
    // GUI thread: what a wake-up of the client's mailbox does; public for
    // tests without an event loop.
    void HandleWake();

private:
    std::shared_ptr<TJackCore> core_;
};
