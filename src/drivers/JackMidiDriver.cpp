#include "JackMidiDriver.h"

#include "JackClient.h"
#include "JackRing.h"
#include "midi/LentBuffers.h"
#include "midi/MidiPortNames.h"
#include "SoundingNotes.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <map>

namespace {

// A driver's open ports by handle, and its place among the client's users.
template <typename Port>
class TJackDriverPorts {
public:
    TJackDriverPorts(std::shared_ptr<TJackClient> client, TJackClient::TChanged changed)
        : client_(std::move(client)), changed_(std::move(changed)) {
        client_->Attach(&changed_);
    }
    ~TJackDriverPorts() { client_->Detach(&changed_); }
    TJackDriverPorts(const TJackDriverPorts&) = delete;
    TJackDriverPorts& operator=(const TJackDriverPorts&) = delete;

    TJackClient& Client() const { return *client_; }
    Port* Find(MidiHandle handle) {
        auto it = ports_.find(handle);
        return it == ports_.end() ? nullptr : it->second.get();
    }
    MidiHandle Keep(std::unique_ptr<Port> port) {
        const MidiHandle handle = nextHandle_++;
        ports_[handle] = std::move(port);
        return handle;
    }
    void Erase(MidiHandle handle) { ports_.erase(handle); }
    bool Empty() const { return ports_.empty(); }
    MidiHandle First() const { return ports_.begin()->first; }
    template <typename F>
    void ForEach(F f) {
        for (auto& [handle, port] : ports_) f(handle, *port);
    }

private:
    std::shared_ptr<TJackClient> client_;
    TJackClient::TChanged changed_;
    std::map<MidiHandle, std::unique_ptr<Port>> ports_;
    MidiHandle nextHandle_ = 1;
};

// The device names of one direction in the client's last snapshot.
MMRESULT DeviceName(const TJackSnapshot& snapshot, const std::vector<std::string>& names, std::int32_t deviceId,
                    std::string& name) {
    if (!snapshot.connected) return MMSYSERR_NODRIVER;
    return DeviceNameFrom(names, deviceId, name);
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

class TMidiInWork final : public TJackPortWork, public TDriverInputPort {
public:
    void Process(const TJackCycle& cycle) override {
        if (!started.load()) return;
        void* buffer = cycle.buffers[0];
        const jack_nframes_t count = jack_midi_get_event_count(buffer);
        for (jack_nframes_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0) Deliver(event.buffer, event.size);
        }
    }
};

} // namespace

// --- output -------------------------------------------------------------------

struct JackMidiOutDriver::Impl {
    struct Port {
        std::shared_ptr<TMidiOutWork> work;
        std::shared_ptr<TJackPort> port;
        TSoundingNotes sounding;
        std::uint64_t lossReported = 0; // the generation whose loss was told
        bool failureTold = false;
    };

    explicit Impl(std::shared_ptr<TJackClient> client, JackMidiOutDriver& driver)
        : open(std::move(client), [this, &driver] { Changed(driver); }), jack(open.Client()) {}

    void Changed(JackMidiOutDriver& driver) {
        open.ForEach([&driver](MidiHandle handle, Port& p) {
            if (!p.port->Failed() || p.failureTold) return;
            p.failureTold = true;
            if (driver.OnDeviceFailed) driver.OnDeviceFailed(handle, MMSYSERR_NOTENABLED);
        });
        if (driver.OnPortsChanged) driver.OnPortsChanged();
    }

    MMRESULT Send(Port& p, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
        const std::uint64_t generation = jack.Generation();
        if (!jack.Connected()) {
            // The server went away: said once, then the port stays quiet until the next one.
            if (p.lossReported == generation) return MMSYSERR_NOERROR;
            p.lossReported = generation;
            return MIDIERR_NODEVICE;
        }
        const std::uint8_t bytes[3] = {status, data1, data2};
        return p.work->ring.Write(generation, bytes, ShortMessage::Length(status)) ? MMSYSERR_NOERROR
                                                                                   : MIDIERR_NOTREADY;
    }

    TJackDriverPorts<Port> open;
    TJackClient& jack;
};

JackMidiOutDriver::JackMidiOutDriver(std::shared_ptr<TJackClient> client)
    : impl_(std::make_unique<Impl>(std::move(client), *this)) {}

JackMidiOutDriver::JackMidiOutDriver(std::string clientName, TMailboxFactory mailboxes)
    : JackMidiOutDriver(std::make_shared<TJackClient>(std::move(clientName), std::move(mailboxes))) {}

JackMidiOutDriver::~JackMidiOutDriver() {
    while (!impl_->open.Empty()) Close(impl_->open.First());
}

TJackClient& JackMidiOutDriver::Client() const { return impl_->jack; }

std::uint32_t JackMidiOutDriver::GetNumDevs() {
    return static_cast<std::uint32_t>(impl_->jack.Snapshot().sinks.size());
}

MMRESULT JackMidiOutDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    const TJackSnapshot snapshot = impl_->jack.Snapshot();
    if (deviceId == MIDI_MAPPER && snapshot.connected) {
        productName = impl_->jack.Name();
        return MMSYSERR_NOERROR;
    }
    return DeviceName(snapshot, snapshot.sinks, deviceId, productName);
}

bool JackMidiOutDriver::HasMapper() { return impl_->jack.Snapshot().connected; }
bool JackMidiOutDriver::DevicesKnown() { return impl_->jack.Snapshot().answered; }

int JackMidiOutDriver::Listeners(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    return p ? p->port->Listeners() : -1;
}

MMRESULT JackMidiOutDriver::Open(MidiHandle& handle, std::int32_t deviceId) {
    handle = 0;
    const TJackSnapshot snapshot = impl_->jack.Snapshot();
    if (!snapshot.connected) return MMSYSERR_NODRIVER;
    std::string target;
    if (deviceId != MIDI_MAPPER && DeviceName(snapshot, snapshot.sinks, deviceId, target) != MMSYSERR_NOERROR)
        return MMSYSERR_BADDEVICEID;
    auto port = std::make_unique<Impl::Port>();
    port->work = std::make_shared<TMidiOutWork>();
    port->port = impl_->jack.Add({false, JackPortIsOutput, {impl_->jack.Name()}, target, false}, port->work);
    if (port->port->Failed()) {
        impl_->jack.Remove(port->port);
        return MMSYSERR_NOTENABLED;
    }
    handle = impl_->open.Keep(std::move(port));
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
    // What Reset queued leaves before the port goes, on the client's thread.
    impl_->jack.Remove(p->port, [work = p->work] { return work->ring.Empty(); });
    impl_->open.Erase(handle);
    return MMSYSERR_NOERROR;
}

// --- input --------------------------------------------------------------------

struct JackMidiInDriver::Impl {
    struct Port {
        std::shared_ptr<TMidiInWork> work;
        std::shared_ptr<TJackPort> port;
    };

    Impl(std::shared_ptr<TJackClient> client, MidiInDriver& driver)
        : open(std::move(client),
               [&driver] {
                   if (driver.OnPortsChanged) driver.OnPortsChanged();
               }),
          jack(open.Client()) {}

    // Stops delivery; no callback runs once this returns.
    void Halt(Port& p) {
        p.work->started.store(false);
        jack.WaitOutsideProcess();
    }

    TJackDriverPorts<Port> open;
    TJackClient& jack;
};

JackMidiInDriver::JackMidiInDriver(std::shared_ptr<TJackClient> client)
    : impl_(std::make_unique<Impl>(std::move(client), *this)) {}

JackMidiInDriver::JackMidiInDriver(std::string clientName, TMailboxFactory mailboxes)
    : JackMidiInDriver(std::make_shared<TJackClient>(std::move(clientName), std::move(mailboxes))) {}

JackMidiInDriver::~JackMidiInDriver() {
    // Ports left open: their owners are gone, so their buffers are not handed back.
    impl_->open.ForEach([this](MidiHandle, Impl::Port& port) {
        impl_->Halt(port);
        impl_->jack.Remove(port.port);
    });
}

TJackClient& JackMidiInDriver::Client() const { return impl_->jack; }

bool JackMidiInDriver::DevicesKnown() { return impl_->jack.Snapshot().answered; }

std::uint32_t JackMidiInDriver::GetNumDevs() {
    return static_cast<std::uint32_t>(impl_->jack.Snapshot().sources.size());
}

MMRESULT JackMidiInDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    const TJackSnapshot snapshot = impl_->jack.Snapshot();
    return DeviceName(snapshot, snapshot.sources, deviceId, productName);
}

MMRESULT JackMidiInDriver::Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback,
                                std::uintptr_t instance) {
    handle = 0;
    const TJackSnapshot snapshot = impl_->jack.Snapshot();
    std::string source;
    if (const MMRESULT named = DeviceName(snapshot, snapshot.sources, deviceId, source); named != MMSYSERR_NOERROR)
        return named == MMSYSERR_NODRIVER ? named : MMSYSERR_BADDEVICEID;
    auto port = std::make_unique<Impl::Port>();
    port->work = std::make_shared<TMidiInWork>();
    port->work->device = deviceId;
    port->work->callback = callback;
    port->work->instance = instance;
    port->port = impl_->jack.Add({false, JackPortIsInput, {impl_->jack.Name() + InputClientSuffix}, source, false},
                                 port->work);
    if (port->port->Failed()) {
        impl_->jack.Remove(port->port);
        return MMSYSERR_NOTENABLED;
    }
    TMidiInWork& work = *port->work;
    handle = work.handle = impl_->open.Keep(std::move(port));
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiInDriver::GetID(MidiHandle handle, std::int32_t& deviceId) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    deviceId = p->work->device;
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiInDriver::PrepareHeader(MidiHandle handle, MIDIHDR* header) {
    return impl_->open.Find(handle) ? TLentBuffers::Prepare(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT JackMidiInDriver::UnprepareHeader(MidiHandle handle, MIDIHDR* header) {
    Impl::Port* p = impl_->open.Find(handle);
    return p ? p->work->buffers.Unprepare(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT JackMidiInDriver::AddBuffer(MidiHandle handle, MIDIHDR* header) {
    Impl::Port* p = impl_->open.Find(handle);
    return p ? p->work->buffers.AddPrepared(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT JackMidiInDriver::Start(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    p->work->Start();
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
    p->work->ReturnBuffers();
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiInDriver::Close(MidiHandle handle) {
    Impl::Port* p = impl_->open.Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    if (p->work->buffers.Count() != 0) return MIDIERR_STILLPLAYING;
    impl_->Halt(*p);
    impl_->jack.Remove(p->port);
    impl_->open.Erase(handle);
    return MMSYSERR_NOERROR;
}
