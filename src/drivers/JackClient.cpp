#include "JackClient.h"

#include "midi/MidiPortNames.h"

#include <jack/midiport.h>
#include <jack/thread.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include <sys/types.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// What a real-time server gives its clients' process threads by default.
constexpr int ProcessPriority = 10;
constexpr std::size_t SlotCount = 32;

constexpr auto RetryPeriod = std::chrono::seconds(1);
// A wake-up may come a little early; it still gets its try.
constexpr auto RetryGap = std::chrono::milliseconds(900);
// How long the thread that reported a loss may hold on before the client is closed anyway.
constexpr auto ReporterWait = std::chrono::seconds(3);
// After a change, the lists are read once more this much later.
constexpr auto SettleDelay = std::chrono::milliseconds(100);
// A server whose cycles stopped this long is not waited for.
constexpr auto StallLimit = std::chrono::seconds(1);
// How long an exit waits for the client's thread to close the client.
constexpr auto ExitWait = std::chrono::milliseconds(1500);

// libjack reports a server that is not there on stderr at every try; a
// client looking for one once a second keeps that to itself.
void Quiet(const char*) {}

// What is known while no server answers: that it was looked for.
TJackSnapshot NoServer() {
    TJackSnapshot snapshot;
    snapshot.answered = true;
    return snapshot;
}

bool ThreadRuns(int tid) { return tid != 0 && std::filesystem::exists("/proc/self/task/" + std::to_string(tid)); }

} // namespace

class TJackCore {
public:
    TJackCore(std::string name, TMailboxFactory mailboxes) : name_(std::move(name)), mailboxes_(std::move(mailboxes)) {}

    // --- GUI thread -----------------------------------------------------------
    void Start(const std::shared_ptr<TJackCore>& self) {
        if (mailbox_) return;
        mailbox_ = MakeMailbox(mailboxes_);
        mailbox_->OnMessage = [this](std::uint32_t) { HandleWake(); };
        {
            std::lock_guard guard(mailboxLock_);
            postTo_ = mailbox_.get();
        }
        // The thread keeps what it works on, and so does a client it had to leave open.
        thread_ = std::thread([self] {
            if (!self->Run()) OutliveLibjack(self);
        });
    }

    void Stop() {
        if (!thread_.joinable()) return;
        std::unique_lock guard(lock_);
        stopping_ = true;
        wake_.notify_all();
        const bool finished = settled_.wait_for(guard, ExitWait, [this] { return finished_; });
        guard.unlock();
        if (finished) thread_.join();
        else {
            std::fprintf(stderr, "%s: the JACK server does not answer; leaving without closing the client\n",
                         name_.c_str());
            thread_.detach();
        }
        std::lock_guard mailboxGuard(mailboxLock_);
        postTo_ = nullptr;
    }

    void HandleWake() {
        const auto users = users_;
        for (TJackClient::TChanged* user : users) {
            // One told before may have taken another away (a menu closing the synthesizer).
            if (std::find(users_.begin(), users_.end(), user) == users_.end()) continue;
            if (*user) (*user)();
        }
    }

    std::vector<TJackClient::TChanged*> users_;
    std::unique_ptr<TGuiMailbox> mailbox_;

    std::shared_ptr<TJackPort> Add(TJackPortSpec spec, std::shared_ptr<TJackPortWork> work) {
        auto port = std::make_shared<TJackPort>(std::move(spec), std::move(work));
        bool placed = false;
        for (auto& slot : slots_) {
            TJackPort* empty = nullptr;
            if (slot.compare_exchange_strong(empty, port.get())) {
                placed = true;
                break;
            }
        }
        if (!placed) port->failed_.store(true);
        std::lock_guard guard(lock_);
        if (placed) wanted_.push_back(port);
        Ask();
        return port;
    }

    void Remove(const std::shared_ptr<TJackPort>& port, std::function<bool()> drained) {
        std::lock_guard guard(lock_);
        std::erase(wanted_, port);
        retiring_.push_back({port, std::move(drained)});
        Ask();
    }

    TJackSnapshot Snapshot() const {
        std::lock_guard guard(lock_);
        return snapshot_;
    }

    bool Settle(int timeoutMs) const {
        std::unique_lock guard(lock_);
        settled_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return idle_ && !asked_; });
        return snapshot_.connected;
    }

    // --- any thread -----------------------------------------------------------
    bool Connected() const { return connected_.load() && !lost_.load(); }
    std::uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }

    void WaitOutsideProcess() const {
        while (inProcess_.load()) std::this_thread::yield();
    }

    const std::string name_;

private:
    // A client left open may call back until the process ends: what its
    // callbacks reach is kept for that long, reachable, and never destroyed.
    static void OutliveLibjack(std::shared_ptr<TJackCore> core) {
        static auto* const lock = new std::mutex;
        static auto* const kept = new std::vector<std::shared_ptr<TJackCore>>;
        std::lock_guard guard(*lock);
        kept->push_back(std::move(core));
    }

    struct TRetiring {
        std::shared_ptr<TJackPort> port;
        std::function<bool()> drained;
    };

    // With lock_ held: the client's thread has something to do.
    void Ask() {
        asked_ = true;
        idle_ = false;
        wake_.notify_all();
    }

    // From a libjack thread: the client's thread looks again.
    void Nudge() {
        std::lock_guard guard(lock_);
        wake_.notify_all();
    }

    void Post() {
        std::lock_guard guard(mailboxLock_);
        if (postTo_) postTo_->Post(TGuiMailbox::DataMessage);
    }

    // --- the client's thread ----------------------------------------------------
    // False when a client stays open: its libjack threads may still call us.
    bool Run() {
        std::unique_lock guard(lock_);
        while (!stopping_) {
            asked_ = false;
            idle_ = false; // a step of its own (a retry, a change) is waited for too
            guard.unlock();
            Step();
            guard.lock();
            idle_ = !asked_ && tried_;
            settled_.notify_all();
            wake_.wait_for(guard, NextWait(),
                           [this] { return stopping_ || asked_ || lost_.load() || changed_.load(); });
        }
        guard.unlock();
        Retire(); // what was closed at the exit still gets its note offs
        const bool closes = !client_ || !lost_.load() || ReporterDone();
        if (client_ && closes) jack_client_close(client_);
        client_ = nullptr;
        guard.lock();
        finished_ = true;
        settled_.notify_all();
        return closes;
    }

    void Step() {
        if (lost_.load()) CloseLost();
        if (!client_) TryConnect();
        Retire();
        if (!client_ || lost_.load()) return;
        const bool made = RegisterWanted();
        if (changed_.exchange(false) || made) {
            Refresh();
            // A port that goes is told before the server's lists lose it: looked at again soon.
            settleAt_ = Clock::now() + SettleDelay;
        } else if (settleAt_ != Clock::time_point{} && Clock::now() >= settleAt_) {
            settleAt_ = {};
            Refresh();
        }
    }

    // How long the client's thread may sleep before its next step.
    Clock::duration NextWait() const {
        if (settleAt_ == Clock::time_point{}) return RetryPeriod;
        return std::max<Clock::duration>(settleAt_ - Clock::now(), Clock::duration::zero());
    }

    void TryConnect() {
        const auto now = Clock::now();
        if (tried_ && now - lastAttempt_ < RetryGap) return;
        lastAttempt_ = now;
        void (*const loud)(const char*) = jack_error_callback;
        jack_set_error_function(Quiet);
        jack_client_t* client = jack_client_open(name_.c_str(), JackNoStartServer, nullptr);
        jack_set_error_function(loud);
        if (!client) {
            if (!tried_) Publish(NoServer()); // the first answer: no server
            tried_ = true;
            return;
        }
        tried_ = true;
        reporter_.store(0);
        reporterViaInfo_.store(false);
        reporterReturned_.store(false);
        lost_.store(false);
        generation_.fetch_add(1, std::memory_order_acq_rel); // ports of an earlier server are skipped from here
        jack_set_process_callback(client, &TJackCore::Process, this);
        // Both: JACK 2 calls only the first when both are set, PipeWire only the second.
        jack_on_info_shutdown(client, &TJackCore::InfoShutdown, this);
        jack_on_shutdown(client, &TJackCore::PlainShutdown, this);
        jack_set_port_registration_callback(client, &TJackCore::Registration, this);
        jack_set_port_connect_callback(client, &TJackCore::Connection, this);
        client_ = client;
        if (jack_activate(client) != 0) {
            // Told of a loss meanwhile: closed like any lost client, once the teller let go.
            if (lost_.load()) return CloseLost();
            jack_client_close(client_);
            client_ = nullptr;
            return;
        }
        sampleRate_.store(jack_get_sample_rate(client));
        connected_.store(true);
        changed_.store(true);
        // A server without real-time scheduling leaves our process thread to
        // compete with every busy thread, the window's among them, and a cycle
        // it misses loses that cycle's MIDI. Where the system refuses, it stays.
        if (!jack_is_realtime(client)) jack_acquire_real_time_scheduling(jack_client_thread_id(client), ProcessPriority);
    }

    // The thread that reported the loss has let go: libjack of JACK 2 ends its
    // notification thread after the report, and closing while it is still in
    // its error path may wait for a lock it holds for ever. PipeWire's thread
    // goes on running its loop: its report is done when our callback returned.
    bool ReporterDone() const {
        if (!reporterReturned_.load()) return false;
        return !reporterViaInfo_.load() || !ThreadRuns(reporter_.load());
    }

    void CloseLost() {
        connected_.store(false);
        Publish(NoServer());
        const auto since = Clock::now();
        while (!ReporterDone() && Clock::now() - since < ReporterWait && !Stopping())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!ReporterDone() && Stopping()) return; // the exit leaves it; closing now might hang
        jack_client_close(client_);
        client_ = nullptr;
        lost_.store(false);
        changed_.store(false);
    }

    // The ports there should be, as the GUI thread last said.
    std::vector<std::shared_ptr<TJackPort>> Wanted() const {
        std::lock_guard guard(lock_);
        return wanted_;
    }

    bool Stopping() const {
        std::lock_guard guard(lock_);
        return stopping_;
    }

    bool RegisterWanted() {
        const std::uint64_t generation = Generation();
        const auto wanted = Wanted();
        bool made = false;
        for (const auto& port : wanted) {
            if (port->Generation() == generation || port->Failed()) continue;
            const TJackPortSpec& spec = port->spec_;
            std::array<jack_port_t*, TJackPort::MaxChannels> handles{};
            bool ok = !spec.names.empty() && spec.names.size() <= TJackPort::MaxChannels;
            for (std::size_t i = 0; ok && i < spec.names.size(); ++i) ok = (handles[i] = RegisterOne(spec, i)) != nullptr;
            if (!ok) {
                for (jack_port_t* h : handles)
                    if (h) jack_port_unregister(client_, h);
                port->failed_.store(true);
                made = true;
                continue;
            }
            port->handles_ = handles;
            port->linkPending_ = !spec.peer.empty() || spec.toPlayback;
            if (port->linkPending_) MakeLinks(*port); // before its first cycle, which would go nowhere
            port->generation_.store(generation, std::memory_order_release);
            made = true;
        }
        return made;
    }

    // Registers a channel under its name, or a number after it when taken.
    jack_port_t* RegisterOne(const TJackPortSpec& spec, std::size_t channel) {
        const char* type = spec.audio ? JACK_DEFAULT_AUDIO_TYPE : JACK_DEFAULT_MIDI_TYPE;
        const std::string& shortName = spec.names[channel];
        for (int n = 1; n < 100; ++n) {
            const std::string name = n == 1 ? shortName : shortName + " " + std::to_string(n);
            if (jack_port_t* port = jack_port_register(client_, name.c_str(), type, spec.flags, 0)) return port;
        }
        return nullptr;
    }

    void Retire() {
        std::vector<TRetiring> retiring;
        {
            std::lock_guard guard(lock_);
            retiring.swap(retiring_);
        }
        for (TRetiring& r : retiring) {
            TJackPort& port = *r.port;
            const bool live = client_ && !lost_.load() && port.Generation() == Generation();
            if (live && r.drained) {
                WaitCycles([&r] { return r.drained(); });
                const std::uint64_t after = cycles_.load();
                WaitCycles([this, after] { return cycles_.load() >= after + 2; }); // one whole quiet cycle
            }
            for (auto& slot : slots_) {
                TJackPort* mine = &port;
                slot.compare_exchange_strong(mine, nullptr);
            }
            WaitOutsideProcess();
            if (live)
                for (jack_port_t* h : port.handles_)
                    if (h) jack_port_unregister(client_, h);
            port.generation_.store(0);
            port.listeners_.store(-1);
        }
    }

    // Waits in cycles: until done holds, the server is lost, or its cycles stopped.
    template <typename F>
    void WaitCycles(F done) {
        std::uint64_t seen = cycles_.load();
        auto progress = Clock::now();
        while (!done() && !lost_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (const std::uint64_t now = cycles_.load(); now != seen) {
                seen = now;
                progress = Clock::now();
            } else if (Clock::now() - progress > StallLimit) {
                return;
            }
        }
    }

    void Refresh() {
        TJackSnapshot snapshot;
        snapshot.connected = true;
        snapshot.answered = true;
        snapshot.sampleRate = sampleRate_.load();
        snapshot.sources = ForeignMidi(JackPortIsOutput);
        snapshot.sinks = ForeignMidi(JackPortIsInput);
        const auto wanted = Wanted();
        const std::uint64_t generation = Generation();
        for (const auto& port : wanted) {
            if (port->Generation() != generation) continue;
            if (port->linkPending_) MakeLinks(*port);
            port->listeners_.store(jack_port_connected(port->handles_[0]));
        }
        UndoSelfConnections();
        Publish(std::move(snapshot));
    }

    void Publish(TJackSnapshot snapshot) {
        {
            std::lock_guard guard(lock_);
            if (!snapshot.connected)
                for (const auto& port : wanted_) port->listeners_.store(-1);
            snapshot_ = std::move(snapshot);
        }
        Post();
    }

    std::vector<std::string> ForeignMidi(unsigned long flags) {
        std::vector<std::string> names;
        const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
        for (std::size_t i = 0; ports && ports[i]; ++i)
            if (!IsOwnPortName(ports[i], name_)) names.emplace_back(ports[i]);
        if (ports) jack_free(ports);
        return names;
    }

    // A client's ports are listed as soon as it registers them but take
    // connections only once it is active: a refused link is tried again at
    // the server's next change (the peer's activation among them).
    void MakeLinks(TJackPort& port) {
        const TJackPortSpec& spec = port.spec_;
        if (spec.toPlayback) {
            const char** playback =
                jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
            std::size_t count = 0;
            while (playback && playback[count]) ++count;
            // A channel past the last playback port goes to the last one (mono).
            for (std::size_t i = 0; count > 0 && i < spec.names.size(); ++i)
                jack_connect(client_, jack_port_name(port.handles_[i]), playback[std::min(i, count - 1)]);
            if (playback) jack_free(playback);
            port.linkPending_ = false;
            return;
        }
        const std::string mine = jack_port_name(port.handles_[0]);
        const bool output = (spec.flags & JackPortIsOutput) != 0;
        const int result = output ? jack_connect(client_, mine.c_str(), spec.peer.c_str())
                                  : jack_connect(client_, spec.peer.c_str(), mine.c_str());
        port.linkPending_ = result != 0 && result != EEXIST;
    }

    // Ports of ours connected to each other would feed our output back into
    // our input: such connections are undone.
    void UndoSelfConnections() {
        const char** inputs = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
        for (std::size_t i = 0; inputs && inputs[i]; ++i) {
            jack_port_t* input = jack_port_by_name(client_, inputs[i]);
            if (!input || !jack_port_is_mine(client_, input)) continue;
            const char** sources = jack_port_get_all_connections(client_, input);
            for (std::size_t j = 0; sources && sources[j]; ++j)
                if (IsOwnPortName(sources[j], name_)) jack_disconnect(client_, sources[j], inputs[i]);
            if (sources) jack_free(sources);
        }
        if (inputs) jack_free(inputs);
    }

    // --- libjack's threads ------------------------------------------------------
    static int Process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<TJackCore*>(arg);
        if (self->lost_.load()) return 0;
        self->inProcess_.store(true);
        const std::uint64_t generation = self->Generation();
        for (auto& slot : self->slots_) {
            TJackPort* port = slot.load();
            if (!port || port->Generation() != generation) continue;
            void* buffers[TJackPort::MaxChannels] = {};
            for (std::size_t i = 0; i < port->spec_.names.size(); ++i)
                buffers[i] = jack_port_get_buffer(port->handles_[i], frames);
            port->work_->Process({buffers, frames, generation, self->sampleRate_.load()});
        }
        self->cycles_.fetch_add(1);
        self->inProcess_.store(false);
        return 0;
    }

    void Lost(bool viaInfo) {
        if (lost_.exchange(true)) return; // told twice
        connected_.store(false);
        reporter_.store(static_cast<int>(::gettid()));
        reporterViaInfo_.store(viaInfo);
        Nudge();
        reporterReturned_.store(true); // the last thing it does here
    }
    static void InfoShutdown(jack_status_t, const char*, void* arg) { static_cast<TJackCore*>(arg)->Lost(true); }
    static void PlainShutdown(void* arg) { static_cast<TJackCore*>(arg)->Lost(false); }

    static void Registration(jack_port_id_t, int, void* arg) {
        auto* self = static_cast<TJackCore*>(arg);
        self->changed_.store(true);
        self->Nudge();
    }
    static void Connection(jack_port_id_t, jack_port_id_t, int, void* arg) {
        auto* self = static_cast<TJackCore*>(arg);
        self->changed_.store(true); // who listens to a port matters too
        self->Nudge();
    }

    TMailboxFactory mailboxes_;
    std::mutex mailboxLock_;
    TGuiMailbox* postTo_ = nullptr;
    std::thread thread_;

    mutable std::mutex lock_;
    mutable std::condition_variable wake_, settled_;
    std::vector<std::shared_ptr<TJackPort>> wanted_;
    std::vector<TRetiring> retiring_;
    TJackSnapshot snapshot_;
    bool stopping_ = false, finished_ = false, asked_ = false, idle_ = false;

    std::array<std::atomic<TJackPort*>, SlotCount> slots_{};
    std::atomic<std::uint64_t> generation_{0};
    std::atomic<bool> connected_{false};
    std::atomic<bool> lost_{false};
    std::atomic<bool> changed_{false};
    std::atomic<bool> inProcess_{false};
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<jack_nframes_t> sampleRate_{0};
    std::atomic<int> reporter_{0};
    std::atomic<bool> reporterViaInfo_{false};
    std::atomic<bool> reporterReturned_{false};

    // The client's thread only.
    jack_client_t* client_ = nullptr;
    bool tried_ = false;
    Clock::time_point lastAttempt_{};
    Clock::time_point settleAt_{}; // when the lists are read again after a change
};

TJackClient::TJackClient(std::string name, TMailboxFactory mailboxes)
    : core_(std::make_shared<TJackCore>(std::move(name), std::move(mailboxes))) {}

TJackClient::~TJackClient() {
    core_->Stop();
    core_->mailbox_.reset();
}

const std::string& TJackClient::Name() const { return core_->name_; }

void TJackClient::Attach(TChanged* user) {
    core_->users_.push_back(user);
    core_->Start(core_);
}

void TJackClient::Detach(TChanged* user) { std::erase(core_->users_, user); }

TJackSnapshot TJackClient::Snapshot() const { return core_->Snapshot(); }
bool TJackClient::Connected() const { return core_->Connected(); }
std::uint64_t TJackClient::Generation() const { return core_->Generation(); }

std::shared_ptr<TJackPort> TJackClient::Add(TJackPortSpec spec, std::shared_ptr<TJackPortWork> work) {
    core_->Start(core_);
    return core_->Add(std::move(spec), std::move(work));
}

void TJackClient::Remove(const std::shared_ptr<TJackPort>& port, std::function<bool()> drained) {
    core_->Remove(port, std::move(drained));
}

void TJackClient::WaitOutsideProcess() const { core_->WaitOutsideProcess(); }
bool TJackClient::Settle(int timeoutMs) const { return core_->Settle(timeoutMs); }
void TJackClient::HandleWake() { core_->HandleWake(); }
