#include "JackMidiDriver.h"

#include "JackClient.h"
#include "midi/LentBuffers.h"
#include "midi/MessageWindow.h"
#include "midi/MidiPortNames.h"
#include "SoundingNotes.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <map>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t SlotCount = 16;

// A driver's place on the shared client: its process callback and its port
// notifications, attached for as long as this lives.
class TJackUse {
public:
    TJackUse(std::shared_ptr<TJackClient> client, void (*process)(jack_nframes_t, void*), void* owner,
             std::function<void()> changed)
        : client_(std::move(client)) {
        user_.process = process;
        user_.owner = owner;
        user_.changed = std::move(changed);
        client_->Attach(&user_);
    }
    ~TJackUse() { client_->Detach(&user_); }
    TJackUse(const TJackUse&) = delete;
    TJackUse& operator=(const TJackUse&) = delete;
    TJackClient& Client() const { return *client_; }

private:
    std::shared_ptr<TJackClient> client_;
    TJackClient::TUser user_;
};

// The connection a port of ours is opened with. A client's ports are listed
// as soon as it registers them but take connections only once it is active,
// so a connection refused at the open is made when the server next reports
// a change (the peer's activation among them).
struct TJackLink {
    std::string from, to;
    bool pending = false;

    void Make(jack_client_t* client) {
        const int result = jack_connect(client, from.c_str(), to.c_str());
        pending = result != 0 && result != EEXIST;
    }
};

// The open ports of one side by handle, and the slots through which the
// process callback reaches them without a lock.
template <typename Port>
class TJackPorts {
public:
    // A slot for the server's thread; every slot is taken when a port is published.
    std::array<std::atomic<Port*>, SlotCount> slots{};

    Port* Find(MidiHandle handle) {
        auto it = ports_.find(handle);
        return it == ports_.end() ? nullptr : it->second.get();
    }
    bool Empty() const { return ports_.empty(); }
    MidiHandle First() const { return ports_.begin()->first; }
    MidiHandle NextHandle() { return nextHandle_++; }
    // Keeps the port and hands it to the process callback.
    void Publish(MidiHandle handle, std::unique_ptr<Port> port) {
        Port* p = port.get();
        ports_[handle] = std::move(port);
        for (auto& slot : slots) {
            Port* empty = nullptr;
            if (slot.compare_exchange_strong(empty, p)) return;
        }
    }
    // Takes the port from the process callback; it is no longer in use when this returns.
    void Withdraw(Port* port, const TJackClient& jack) {
        for (auto& slot : slots) {
            Port* mine = port;
            slot.compare_exchange_strong(mine, nullptr);
        }
        jack.WaitOutsideProcess();
    }
    void Erase(MidiHandle handle) { ports_.erase(handle); }
    template <typename F>
    void ForEach(F f) {
        for (auto& [handle, port] : ports_) f(*port);
    }
    void MakePendingLinks(TJackClient& jack) {
        ForEach([&jack](Port& port) {
            if (port.link.pending && jack.Alive(port.generation)) port.link.Make(jack.Client());
        });
    }

private:
    std::map<MidiHandle, std::unique_ptr<Port>> ports_;
    MidiHandle nextHandle_ = 1;
};

// What a driver does when the server reports a change: links waiting for
// their peer are tried, then the driver's users hear of it.
template <typename Impl, typename Driver>
std::function<void()> WhenPortsChange(Impl* impl, Driver& driver) {
    return [impl, &driver] {
        impl->open.MakePendingLinks(impl->jack);
        if (driver.OnPortsChanged) driver.OnPortsChanged();
    };
}

} // namespace

// --- output -------------------------------------------------------------------

struct JackMidiOutDriver::Impl {
    // Records of four bytes: the length, then up to three message bytes.
    static constexpr std::size_t RingBytes = 32 * 1024;

    struct Port {
        jack_port_t* port = nullptr;
        jack_ringbuffer_t* ring = nullptr;
        std::uint64_t generation = 0;
        TJackLink link;
        TSoundingNotes sounding;
        bool failureReported = false;
        // Cycles that left the port's buffer empty. The buffer keeps what was
        // last written into it: a port taken from the callback must be empty.
        std::atomic<std::uint32_t> quietCycles{0};
    };

    Impl(std::shared_ptr<TJackClient> client, MidiOutDriver& driver)
        : use(std::move(client), &Impl::Process, this, WhenPortsChange(this, driver)), jack(use.Client()) {}

    static void Process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<Impl*>(arg);
        for (auto& slot : self->open.slots) {
            Port* p = slot.load();
            if (!p || p->generation != self->jack.Generation()) continue;
            void* buffer = jack_port_get_buffer(p->port, frames);
            jack_midi_clear_buffer(buffer);
            std::uint8_t record[4];
            if (jack_ringbuffer_read_space(p->ring) < sizeof record) p->quietCycles.fetch_add(1);
            while (jack_ringbuffer_read_space(p->ring) >= sizeof record) {
                jack_ringbuffer_peek(p->ring, reinterpret_cast<char*>(record), sizeof record);
                if (jack_midi_event_write(buffer, 0, record + 1, record[0]) != 0) break; // next cycle
                jack_ringbuffer_read_advance(p->ring, sizeof record);
            }
        }
    }

    MMRESULT Send(Port& p, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
        if (!jack.Alive(p.generation)) {
            // The server went away: said once, then the port stays quiet.
            if (p.failureReported) return MMSYSERR_NOERROR;
            p.failureReported = true;
            return MIDIERR_NODEVICE;
        }
        const std::uint8_t record[4] = {static_cast<std::uint8_t>(ShortMessage::Length(status)), status, data1, data2};
        if (jack_ringbuffer_write_space(p.ring) < sizeof record) return MIDIERR_NOTREADY;
        jack_ringbuffer_write(p.ring, reinterpret_cast<const char*>(record), sizeof record);
        return MMSYSERR_NOERROR;
    }

    TJackPorts<Port> open;
    TJackUse use; // after the ports: it is detached before they go
    TJackClient& jack;
};

JackMidiOutDriver::JackMidiOutDriver(std::shared_ptr<TJackClient> client)
    : impl_(std::make_unique<Impl>(std::move(client), *this)) {}

JackMidiOutDriver::JackMidiOutDriver(std::string clientName, TMessageWindowFactory windows)
    : JackMidiOutDriver(std::make_shared<TJackClient>(std::move(clientName), std::move(windows))) {}

JackMidiOutDriver::~JackMidiOutDriver() {
    while (!impl_->open.Empty()) Close(impl_->open.First());
}

std::uint32_t JackMidiOutDriver::GetNumDevs() {
    return static_cast<std::uint32_t>(impl_->jack.ForeignPorts(JackPortIsInput).size());
}

MMRESULT JackMidiOutDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    if (!impl_->jack.Client()) return MMSYSERR_NODRIVER;
    if (deviceId == MIDI_MAPPER) {
        productName = impl_->jack.Name();
        return MMSYSERR_NOERROR;
    }
    return DeviceNameFrom(impl_->jack.ForeignPorts(JackPortIsInput), deviceId, productName);
}

bool JackMidiOutDriver::HasMapper() { return impl_->jack.Client() != nullptr; }

int JackMidiOutDriver::Listeners(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p || !impl_->jack.Alive(p->generation)) return -1;
    return jack_port_connected(p->port);
}

MMRESULT JackMidiOutDriver::Open(MidiHandle& handle, std::int32_t deviceId) {
    handle = 0;
    jack_client_t* client = impl_->jack.Client();
    if (!client) return MMSYSERR_NODRIVER;
    std::string target;
    if (deviceId != MIDI_MAPPER && DeviceNameFrom(impl_->jack.ForeignPorts(JackPortIsInput), deviceId, target) !=
                                       MMSYSERR_NOERROR)
        return MMSYSERR_BADDEVICEID;
    auto port = std::make_unique<Impl::Port>();
    port->generation = impl_->jack.Generation();
    port->port = impl_->jack.Register(impl_->jack.Name(), JackPortIsOutput);
    if (!port->port) return MMSYSERR_NOTENABLED;
    if (!target.empty()) {
        port->link = {jack_port_name(port->port), target};
        port->link.Make(client);
    }
    port->ring = jack_ringbuffer_create(Impl::RingBytes);
    handle = impl_->open.NextHandle();
    impl_->open.Publish(handle, std::move(port));
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiOutDriver::ShortMsg(MidiHandle handle, const TShortMessage& message) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    return p->sounding.SendShort(message, [&](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        return impl_->Send(*p, s, d1, d2);
    });
}

MMRESULT JackMidiOutDriver::Reset(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    return p->sounding.SendReset(
        [&](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { return impl_->Send(*p, s, d1, d2); });
}

MMRESULT JackMidiOutDriver::Close(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    if (impl_->jack.Alive(p->generation)) {
        // What Reset queued leaves before the port goes, and a quiet cycle
        // after it, so that the last events are not sent again.
        const auto deadline = Clock::now() + std::chrono::milliseconds(200);
        while (jack_ringbuffer_read_space(p->ring) > 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::uint32_t quiet = p->quietCycles.load();
        while (p->quietCycles.load() == quiet && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    impl_->open.Withdraw(p, impl_->jack);
    impl_->jack.Unregister(p->port, p->generation);
    jack_ringbuffer_free(p->ring);
    impl_->open.Erase(handle);
    return MMSYSERR_NOERROR;
}

// --- input --------------------------------------------------------------------

struct JackMidiInDriver::Impl {
    struct Port : TDriverInputPort {
        jack_port_t* port = nullptr;
        std::uint64_t generation = 0;
        TJackLink link;
    };

    Impl(std::shared_ptr<TJackClient> client, MidiInDriver& driver)
        : use(std::move(client), &Impl::Process, this, WhenPortsChange(this, driver)), jack(use.Client()) {}

    // The server's thread: one message at a time to the port's callback.
    static void Process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<Impl*>(arg);
        for (auto& slot : self->open.slots) {
            Port* p = slot.load();
            if (!p || !p->started.load() || p->generation != self->jack.Generation()) continue;
            void* buffer = jack_port_get_buffer(p->port, frames);
            const jack_nframes_t count = jack_midi_get_event_count(buffer);
            for (jack_nframes_t i = 0; i < count; ++i) {
                jack_midi_event_t event;
                if (jack_midi_event_get(&event, buffer, i) == 0) p->Deliver(event.buffer, event.size);
            }
        }
    }

    // Stops delivery; no callback runs once this returns.
    void Halt(Port& p) {
        p.started.store(false);
        jack.WaitOutsideProcess();
    }

    TJackPorts<Port> open;
    TJackUse use; // after the ports: it is detached before they go
    TJackClient& jack;
};

JackMidiInDriver::JackMidiInDriver(std::shared_ptr<TJackClient> client)
    : impl_(std::make_unique<Impl>(std::move(client), *this)) {}

JackMidiInDriver::JackMidiInDriver(std::string clientName, TMessageWindowFactory windows)
    : JackMidiInDriver(std::make_shared<TJackClient>(std::move(clientName), std::move(windows))) {}

JackMidiInDriver::~JackMidiInDriver() {
    // Ports left open: their owners are gone, so their buffers are not handed back.
    impl_->open.ForEach([this](Impl::Port& port) {
        impl_->Halt(port);
        impl_->open.Withdraw(&port, impl_->jack);
        impl_->jack.Unregister(port.port, port.generation);
    });
}

std::uint32_t JackMidiInDriver::GetNumDevs() {
    return static_cast<std::uint32_t>(impl_->jack.ForeignPorts(JackPortIsOutput).size());
}

MMRESULT JackMidiInDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    if (!impl_->jack.Client()) return MMSYSERR_NODRIVER;
    return DeviceNameFrom(impl_->jack.ForeignPorts(JackPortIsOutput), deviceId, productName);
}

MMRESULT JackMidiInDriver::Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback,
                                std::uintptr_t instance) {
    handle = 0;
    jack_client_t* client = impl_->jack.Client();
    if (!client) return MMSYSERR_NODRIVER;
    std::string source;
    if (DeviceNameFrom(impl_->jack.ForeignPorts(JackPortIsOutput), deviceId, source) != MMSYSERR_NOERROR)
        return MMSYSERR_BADDEVICEID;
    auto port = std::make_unique<Impl::Port>();
    port->generation = impl_->jack.Generation();
    port->device = deviceId;
    port->callback = callback;
    port->instance = instance;
    port->port = impl_->jack.Register(impl_->jack.Name() + InputClientSuffix, JackPortIsInput);
    if (!port->port) return MMSYSERR_NOTENABLED;
    port->link = {source, jack_port_name(port->port)};
    port->link.Make(client);
    handle = port->handle = impl_->open.NextHandle();
    impl_->open.Publish(handle, std::move(port));
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiInDriver::GetID(MidiHandle handle, std::int32_t& deviceId) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    deviceId = p->device;
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiInDriver::PrepareHeader(MidiHandle handle, MIDIHDR* header) {
    return impl_->open.Find(handle) ? TLentBuffers::Prepare(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT JackMidiInDriver::UnprepareHeader(MidiHandle handle, MIDIHDR* header) {
    Impl::Port* p = impl_->open.Find(handle);
    return p ? p->buffers.Unprepare(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT JackMidiInDriver::AddBuffer(MidiHandle handle, MIDIHDR* header) {
    Impl::Port* p = impl_->open.Find(handle);
    return p ? p->buffers.AddPrepared(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT JackMidiInDriver::Start(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    p->Start();
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiInDriver::Stop(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    impl_->Halt(*p);
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiInDriver::Reset(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    impl_->Halt(*p);
    p->ReturnBuffers();
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiInDriver::Close(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    if (p->buffers.Count() != 0) return MIDIERR_STILLPLAYING;
    impl_->Halt(*p);
    impl_->open.Withdraw(p, impl_->jack);
    impl_->jack.Unregister(p->port, p->generation);
    impl_->open.Erase(handle);
    return MMSYSERR_NOERROR;
}
