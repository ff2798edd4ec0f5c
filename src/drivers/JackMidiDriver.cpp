#include "JackMidiDriver.h"

#include "JackClient.h"
#include "JackRing.h"
#include "midi/MidiPortNames.h"
#include "SoundingNotes.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>

namespace {

std::vector<TMidiPortInfo> PortsNamed(const TJackSnapshot& snapshot, const std::vector<std::string>& names) {
    std::vector<TMidiPortInfo> ports;
    if (!snapshot.connected) return ports;
    for (const std::string& name : names) ports.push_back({name, name});
    return ports;
}

// The snapshot's port of that identity; raises when there is none.
std::string Peer(const TJackSnapshot& snapshot, const std::vector<std::string>& names, const TMidiPortInfo& port) {
    if (!snapshot.connected) throw EMidiError(MidiFailure::NoSystem);
    if (std::find(names.begin(), names.end(), port.id) == names.end()) throw EMidiError(MidiFailure::NoSuchPort);
    return port.id;
}

// An output port's cycle: what the ring holds for this server, at the cycle's start.
class TMidiOutWork final : public TJackPortWork {
public:
    void Process(const TJackCycle& cycle) override {
        void* buffer = cycle.buffers[0];
        jack_midi_clear_buffer(buffer);
        ring.Drain(cycle.generation, [buffer](const TJackRecord& r) {
            return jack_midi_event_write(buffer, 0, r.bytes, r.length) == 0;
        });
    }
    TJackRing ring;
};

// An input port's cycle: every event to the receiver, with the cycle's time.
class TMidiInWork final : public TJackPortWork {
public:
    explicit TMidiInWork(TMidiReceiver& receiver) : receiver_(receiver) {}
    void Process(const TJackCycle& cycle) override {
        if (!delivering.load(std::memory_order_acquire)) return;
        void* buffer = cycle.buffers[0];
        const auto now = TMidiClock::now();
        const jack_nframes_t count = jack_midi_get_event_count(buffer);
        for (jack_nframes_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0) receiver_.Receive(event.buffer, event.size, now);
        }
    }
    std::atomic<bool> delivering{true};

private:
    TMidiReceiver& receiver_;
};

class TJackOutPort;

// A driver's place among the client's users, shared with its open ports:
// told of changes while it lives.
struct TJackUser {
    TJackUser(std::shared_ptr<TJackClient> c, TJackClient::TChanged told) : client(std::move(c)), changed(std::move(told)) {
        client->Attach(&changed);
    }
    ~TJackUser() { client->Detach(&changed); }
    TJackUser(const TJackUser&) = delete;
    TJackUser& operator=(const TJackUser&) = delete;

    std::shared_ptr<TJackClient> client;
    TJackClient::TChanged changed;
};

} // namespace

// What the driver and its open ports share: the client and the ports to tell of a failure.
struct JackMidiOutDriver::Impl : TJackUser {
    Impl(std::shared_ptr<TJackClient> c, JackMidiOutDriver& driver)
        : TJackUser(std::move(c), [this, &driver] { Changed(driver); }) {}
    void Changed(JackMidiOutDriver& driver);

    std::vector<TJackOutPort*> open;
};

namespace {

class TJackOutPort final : public TWrittenOutPort {
public:
    TJackOutPort(std::shared_ptr<JackMidiOutDriver::Impl> driver, std::string peer) : driver_(std::move(driver)) {
        TJackClient& jack = *driver_->client;
        work_ = std::make_shared<TMidiOutWork>();
        port_ = jack.Add({false, JackPortIsOutput, {jack.Name()}, std::move(peer), false}, work_);
        if (port_->Failed()) {
            jack.Remove(port_);
            throw EMidiError(MidiFailure::NotEnabled);
        }
        driver_->open.push_back(this);
    }
    ~TJackOutPort() override {
        std::erase(driver_->open, this);
        // What Silence queued leaves before the port goes, on the client's thread.
        driver_->client->Remove(port_, [work = work_] { return work->ring.Empty(); });
    }

    int Listeners() const override { return port_->Listeners(); }

    // The server refused the port on a new generation: told once.
    void TellFailure() {
        if (!port_->Failed() || failureTold_) return;
        failureTold_ = true;
        if (OnFailed) OnFailed(MidiFailure::NotEnabled);
    }

private:
    void Write(const TShortMessage& m) override {
        TJackClient& jack = *driver_->client;
        const std::uint64_t generation = jack.Generation();
        if (!jack.Connected()) {
            // The server went away: said once, then the port stays quiet until the next one.
            if (lossReported_ == generation) return;
            lossReported_ = generation;
            throw EMidiError(MidiFailure::Vanished);
        }
        if (!work_->ring.Write(generation, m)) throw EMidiError(MidiFailure::Busy);
    }

    std::shared_ptr<JackMidiOutDriver::Impl> driver_;
    std::shared_ptr<TMidiOutWork> work_;
    std::shared_ptr<TJackPort> port_;
    std::uint64_t lossReported_ = 0; // the generation whose loss was told
    bool failureTold_ = false;
};

} // namespace

void JackMidiOutDriver::Impl::Changed(JackMidiOutDriver& driver) {
    const std::vector<TJackOutPort*> ports = open;
    for (TJackOutPort* port : ports)
        if (std::find(open.begin(), open.end(), port) != open.end()) port->TellFailure();
    if (driver.OnPortsChanged) driver.OnPortsChanged();
}

JackMidiOutDriver::JackMidiOutDriver(std::shared_ptr<TJackClient> client)
    : impl_(std::make_shared<Impl>(std::move(client), *this)) {}

JackMidiOutDriver::JackMidiOutDriver(std::string clientName, TMailboxFactory mailboxes)
    : JackMidiOutDriver(std::make_shared<TJackClient>(std::move(clientName), std::move(mailboxes))) {}

JackMidiOutDriver::~JackMidiOutDriver() {
    // Ports outliving the driver keep the client, but tell nobody of changes.
    impl_->changed = [] {};
}

TJackClient& JackMidiOutDriver::Client() const { return *impl_->client; }

std::vector<TMidiPortInfo> JackMidiOutDriver::Ports() {
    const TJackSnapshot snapshot = impl_->client->Snapshot();
    return PortsNamed(snapshot, snapshot.sinks);
}

std::optional<TMidiPortInfo> JackMidiOutDriver::OwnPort() {
    if (!impl_->client->Snapshot().connected) return std::nullopt;
    return TMidiPortInfo{impl_->client->Name(), ""};
}

bool JackMidiOutDriver::PortsKnown() { return impl_->client->Snapshot().answered; }

std::unique_ptr<TMidiOutPort> JackMidiOutDriver::Open(const TMidiPortInfo& port) {
    const TJackSnapshot snapshot = impl_->client->Snapshot();
    if (!snapshot.connected) throw EMidiError(MidiFailure::NoSystem);
    const std::string peer = port.id.empty() ? std::string() : Peer(snapshot, snapshot.sinks, port);
    return std::make_unique<TJackOutPort>(impl_, peer);
}

// --- input --------------------------------------------------------------------

struct JackMidiInDriver::Impl : TJackUser {
    Impl(std::shared_ptr<TJackClient> c, JackMidiInDriver& driver)
        : TJackUser(std::move(c), [&driver] {
              if (driver.OnPortsChanged) driver.OnPortsChanged();
          }) {}
};

namespace {

class TJackInPort final : public TMidiInPort {
public:
    TJackInPort(std::shared_ptr<JackMidiInDriver::Impl> driver, std::string peer, TMidiReceiver& receiver)
        : driver_(std::move(driver)), work_(std::make_shared<TMidiInWork>(receiver)) {
        TJackClient& jack = *driver_->client;
        port_ = jack.Add({false, JackPortIsInput, {jack.Name() + InputClientSuffix}, std::move(peer), false}, work_);
        if (port_->Failed()) {
            Halt();
            throw EMidiError(MidiFailure::NotEnabled);
        }
    }
    ~TJackInPort() override { Halt(); }

private:
    // No delivery runs once this returns.
    void Halt() {
        work_->delivering.store(false, std::memory_order_release);
        driver_->client->WaitOutsideProcess();
        driver_->client->Remove(port_);
    }

    std::shared_ptr<JackMidiInDriver::Impl> driver_;
    std::shared_ptr<TMidiInWork> work_;
    std::shared_ptr<TJackPort> port_;
};

} // namespace

JackMidiInDriver::JackMidiInDriver(std::shared_ptr<TJackClient> client)
    : impl_(std::make_shared<Impl>(std::move(client), *this)) {}

JackMidiInDriver::JackMidiInDriver(std::string clientName, TMailboxFactory mailboxes)
    : JackMidiInDriver(std::make_shared<TJackClient>(std::move(clientName), std::move(mailboxes))) {}

JackMidiInDriver::~JackMidiInDriver() {
    impl_->changed = [] {};
}

TJackClient& JackMidiInDriver::Client() const { return *impl_->client; }

bool JackMidiInDriver::PortsKnown() { return impl_->client->Snapshot().answered; }

std::vector<TMidiPortInfo> JackMidiInDriver::Ports() {
    const TJackSnapshot snapshot = impl_->client->Snapshot();
    return PortsNamed(snapshot, snapshot.sources);
}

std::unique_ptr<TMidiInPort> JackMidiInDriver::Open(const TMidiPortInfo& port, TMidiReceiver& receiver) {
    const TJackSnapshot snapshot = impl_->client->Snapshot();
    return std::make_unique<TJackInPort>(impl_, Peer(snapshot, snapshot.sources, port), receiver);
}
