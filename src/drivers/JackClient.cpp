#include "JackClient.h"

#include "midi/MidiPortNames.h"

#include <jack/midiport.h>
#include <jack/thread.h>

#include <filesystem>
#include <string>

#include <pthread.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// What a real-time server gives its clients' process threads by default.
constexpr int ProcessPriority = 10;

constexpr auto RetryPeriod = std::chrono::seconds(1);
// A wake-up of the watcher may come a little early; it still gets its try.
constexpr auto RetryGap = std::chrono::milliseconds(900);
// How long the thread that reported a loss may take to end before the client is closed anyway.
constexpr auto ReporterEndWait = std::chrono::seconds(3);

// libjack reports a server that is not there on stderr at every try; a
// client looking for one once a second keeps that to itself.
void Quiet(const char*) {}

// jack_client_close cancels libjack's notification thread, maybe while one of
// our callbacks waits in a cancellation point (the wake-up's write). Unwinding
// from inside a noexcept frame would end the program, so the cancel is held
// off until the callback's work is done and acted on here.
template <typename F>
void Uncancelled(F work) {
    int old = PTHREAD_CANCEL_ENABLE;
    ::pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &old);
    work();
    ::pthread_setcancelstate(old, nullptr);
}

} // namespace

TJackClient::TJackClient(std::string name, TMessageWindowFactory windows)
    : name_(std::move(name)), windows_(std::move(windows)) {}

TJackClient::~TJackClient() {
    {
        std::lock_guard guard(watchLock_);
        stopping_ = true;
    }
    watchWake_.notify_all();
    if (watcher_.joinable()) watcher_.join();
    CloseClient();
}

void TJackClient::Attach(TUser* user) {
    for (auto& slot : users_) {
        TUser* empty = nullptr;
        if (slot.compare_exchange_strong(empty, user)) return;
    }
}

void TJackClient::Detach(TUser* user) {
    for (auto& slot : users_) {
        TUser* mine = user;
        slot.compare_exchange_strong(mine, nullptr);
    }
    WaitOutsideProcess();
}

jack_client_t* TJackClient::Client() {
    if (lost_.load() && !CloseLostClient()) return nullptr; // the first libjack call after a loss is this close
    if (client_) return client_;
    const auto now = Clock::now();
    if (attempted_ && now - lastAttempt_ < RetryGap) return nullptr;
    attempted_ = true;
    lastAttempt_ = now;
    Connect();
    return client_;
}

bool TJackClient::Connect() {
    if (!window_) {
        window_ = MakeMessageWindow(windows_);
        window_->OnMessage = [this](std::uint32_t) { HandleWake(); };
        watcher_ = std::thread([this] { Watch(); });
    }
    void (*const loud)(const char*) = jack_error_callback;
    jack_set_error_function(Quiet);
    jack_client_t* client = jack_client_open(name_.c_str(), JackNoStartServer, nullptr);
    jack_set_error_function(loud);
    if (!client) return false;
    shutdownThread_.store(0);
    ++generation_; // before the first cycle: ports of an earlier client are skipped from here
    jack_set_process_callback(client, &TJackClient::Process, this);
    jack_on_info_shutdown(client, &TJackClient::Shutdown, this);
    jack_set_port_registration_callback(client, &TJackClient::Registration, this);
    jack_set_port_connect_callback(client, &TJackClient::Connection, this);
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        return false;
    }
    client_ = client;
    connected_.store(true);
    // A server without real-time scheduling leaves our process thread to
    // compete with every busy thread, the window's among them, and a cycle
    // it misses loses that cycle's MIDI. Where the system refuses, it stays.
    if (!jack_is_realtime(client)) jack_acquire_real_time_scheduling(jack_client_thread_id(client), ProcessPriority);
    return true;
}

void TJackClient::CloseClient() {
    if (!client_) return;
    jack_client_t* client = client_;
    client_ = nullptr;
    connected_.store(false);
    lost_.store(false);
    jack_client_close(client);
}

bool TJackClient::CloseLostClient() {
    const auto now = Clock::now();
    if (lostSeen_ == Clock::time_point{}) lostSeen_ = now;
    if (!ShutdownThreadEnded() && now - lostSeen_ < ReporterEndWait) return false;
    lostSeen_ = {};
    CloseClient();
    return true;
}

bool TJackClient::ShutdownThreadEnded() const {
    const int tid = shutdownThread_.load();
    return tid == 0 || !std::filesystem::exists("/proc/self/task/" + std::to_string(tid));
}

bool TJackClient::Alive(std::uint64_t generation) const {
    return client_ && !lost_.load() && generation == generation_.load();
}

void TJackClient::HandleWake() {
    bool changed = changed_.exchange(false);
    if (lost_.load()) {
        const bool firstSight = lostSeen_ == Clock::time_point{};
        if (!CloseLostClient()) { // the watcher comes back until the thread that reported the loss has ended
            if (firstSight) Notify();
            return;
        }
        changed = true;
    }
    if (!client_) {
        if (!Client()) {
            if (changed) Notify();
            return;
        }
        changed = true; // the server is back
    }
    UndoSelfConnections();
    if (changed) Notify();
}

void TJackClient::Notify() {
    for (auto& slot : users_)
        if (TUser* user = slot.load(); user && user->changed) user->changed();
}

void TJackClient::Watch() {
    std::unique_lock guard(watchLock_);
    while (!stopping_) {
        watchWake_.wait_for(guard, RetryPeriod, [this] { return stopping_; });
        if (!stopping_ && !connected_.load()) window_->Post(TMessageWindow::DataMessage);
    }
}

std::vector<std::string> TJackClient::ForeignPorts(unsigned long flags) {
    std::vector<std::string> names;
    jack_client_t* client = Client();
    if (!client) return names;
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    for (std::size_t i = 0; ports && ports[i]; ++i)
        if (!IsOwnPortName(ports[i], name_)) names.emplace_back(ports[i]);
    if (ports) jack_free(ports);
    return names;
}

jack_port_t* TJackClient::Register(const std::string& shortName, unsigned long flags) {
    if (!Client()) return nullptr;
    for (int n = 1; n < 100; ++n) {
        const std::string name = n == 1 ? shortName : shortName + " " + std::to_string(n);
        if (jack_port_t* port = jack_port_register(client_, name.c_str(), JACK_DEFAULT_MIDI_TYPE, flags, 0))
            return port;
    }
    return nullptr;
}

void TJackClient::Unregister(jack_port_t* port, std::uint64_t generation) {
    if (Alive(generation)) jack_port_unregister(client_, port);
}

void TJackClient::WaitOutsideProcess() const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(500);
    while (inProcess_.load() && Clock::now() < deadline) std::this_thread::yield();
}

void TJackClient::UndoSelfConnections() {
    if (!client_ || lost_.load()) return;
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

int TJackClient::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<TJackClient*>(arg);
    self->inProcess_.store(true);
    for (auto& slot : self->users_)
        if (TUser* user = slot.load(); user && user->process) user->process(frames, user->owner);
    self->inProcess_.store(false);
    return 0;
}

void TJackClient::Shutdown(jack_status_t, const char*, void* arg) {
    auto* self = static_cast<TJackClient*>(arg);
    self->shutdownThread_.store(static_cast<int>(::gettid()));
    self->lost_.store(true);
    self->connected_.store(false);
    Uncancelled([self] { self->window_->Post(TMessageWindow::DataMessage); });
}

void TJackClient::Registration(jack_port_id_t, int, void* arg) {
    auto* self = static_cast<TJackClient*>(arg);
    self->changed_.store(true);
    Uncancelled([self] { self->window_->Post(TMessageWindow::DataMessage); });
}

void TJackClient::Connection(jack_port_id_t, jack_port_id_t, int, void* arg) {
    auto* self = static_cast<TJackClient*>(arg);
    self->changed_.store(true); // the users hear of connections too: who listens to a port matters
    Uncancelled([self] { self->window_->Post(TMessageWindow::DataMessage); });
}
