#include "RtMidiDriver.h"

#include "midi/MidiPortNames.h"
#include "SoundingNotes.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "midi/LentBuffers.h"

bool AlsaSequencerOpens() {
    try {
        RtMidiOut probe(RtMidi::LINUX_ALSA, "Tonecast probe");
        return true;
    } catch (const RtMidiError&) {
        return false;
    }
}

namespace {

// Warnings go to stderr by default; the ports report through result codes instead.
void QuietErrors(RtMidiError::Type, const std::string&, void* lastError) {
    *static_cast<bool*>(lastError) = true;
}

// RtMidi port numbers (and names) of other programs' ports, in RtMidi's order.
std::vector<unsigned> ForeignPortsOf(RtMidi* probe, const std::string& clientName, std::vector<std::string>* names) {
    std::vector<unsigned> result;
    if (!probe) return result;
    bool failed = false;
    probe->setErrorCallback(QuietErrors, &failed);
    const unsigned count = probe->getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        std::string name = probe->getPortName(i);
        if (name.empty() || IsOwnPortName(name, clientName)) continue;
        result.push_back(i);
        if (names) names->push_back(WithoutPortNumbers(name));
    }
    if (names) *names = DistinctNames(std::move(*names));
    return result;
}

} // namespace

TMidiApi ChosenMidiApi() {
    static const TMidiApi api = [] {
        const char* forced = std::getenv("TONECAST_MIDI_API");
        if (forced && std::strcmp(forced, "alsa") == 0) return TMidiApi::Alsa;
        if (forced && std::strcmp(forced, "jack") == 0) return TMidiApi::Jack;
        std::vector<RtMidi::Api> compiled;
        RtMidi::getCompiledApi(compiled);
        auto has = [&](RtMidi::Api a) {
            for (auto c : compiled)
                if (c == a) return true;
            return false;
        };
        if (has(RtMidi::LINUX_ALSA) && AlsaSequencerOpens()) return TMidiApi::Alsa;
        return TMidiApi::Jack; // our own JACK backend is always there
    }();
    return api;
}

const char* MidiApiName(TMidiApi api) {
    switch (api) {
    case TMidiApi::Alsa: return "ALSA";
    case TMidiApi::Jack: break;
    }
    return "JACK";
}

struct RtMidiOutDriver::Port {
    std::unique_ptr<RtMidiOut> out;
    bool failed = false; // set by RtMidi's error callback
    TSoundingNotes sounding;

    MMRESULT Send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
        std::vector<unsigned char> bytes{status, data1, data2};
        bytes.resize(static_cast<std::size_t>(ShortMessage::Length(status)));
        failed = false;
        try {
            out->sendMessage(&bytes);
        } catch (const RtMidiError&) {
            return MMSYSERR_ERROR;
        }
        return failed ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
    }
};

RtMidiOutDriver::RtMidiOutDriver(std::string clientName) : clientName_(std::move(clientName)) {
    // The lister has a client name of its own, kept apart from the ports' client.
    probe_ = NewClient(clientName_ + ListerClientSuffix);
}

RtMidiOutDriver::~RtMidiOutDriver() = default;

std::unique_ptr<RtMidiOut> RtMidiOutDriver::NewClient(const std::string& name) {
    try {
        return std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, name);
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

std::vector<unsigned> RtMidiOutDriver::ForeignPorts(std::vector<std::string>* names) {
    return ForeignPortsOf(probe_.get(), clientName_, names);
}

std::uint32_t RtMidiOutDriver::GetNumDevs() {
    return static_cast<std::uint32_t>(ForeignPorts().size());
}

MMRESULT RtMidiOutDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    if (!SystemAnswers()) return MMSYSERR_NODRIVER;
    if (deviceId == MIDI_MAPPER) {
        productName = clientName_;
        return MMSYSERR_NOERROR;
    }
    std::vector<std::string> names;
    ForeignPorts(&names);
    return DeviceNameFrom(names, deviceId, productName);
}

bool RtMidiOutDriver::SystemAnswers() {
    if (!probe_) return false;
    bool failed = false;
    probe_->setErrorCallback(QuietErrors, &failed);
    probe_->getPortCount(); // reports through the error callback when the sequencer is gone
    return !failed;
}

MMRESULT RtMidiOutDriver::Open(MidiHandle& handle, std::int32_t deviceId) {
    handle = 0;
    if (!SystemAnswers()) return MMSYSERR_NODRIVER;
    auto port = std::make_unique<Port>();
    port->out = NewClient(clientName_);
    if (!port->out) return MMSYSERR_NODRIVER;
    port->out->setErrorCallback(QuietErrors, &port->failed);
    try {
        if (deviceId == MIDI_MAPPER) {
            port->out->openVirtualPort(clientName_);
        } else {
            auto foreign = ForeignPorts();
            if (deviceId < 0 || deviceId >= static_cast<std::int32_t>(foreign.size()))
                return MMSYSERR_BADDEVICEID;
            port->out->openPort(foreign[static_cast<std::size_t>(deviceId)], clientName_);
        }
    } catch (const RtMidiError&) {
        return MMSYSERR_NOTENABLED;
    }
    if (port->failed) return MMSYSERR_NOTENABLED;
    handle = nextHandle_++;
    ports_[handle] = std::move(port);
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiOutDriver::ShortMsg(MidiHandle handle, const TShortMessage& message) {
    auto it = ports_.find(handle);
    if (it == ports_.end()) return MMSYSERR_INVALHANDLE;
    Port& port = *it->second;
    return port.sounding.SendShort(message, [&port](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { return port.Send(s, d1, d2); });
}

MMRESULT RtMidiOutDriver::Reset(MidiHandle handle) {
    auto it = ports_.find(handle);
    if (it == ports_.end()) return MMSYSERR_INVALHANDLE;
    Port& port = *it->second;
    return port.sounding.SendReset([&port](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { return port.Send(s, d1, d2); });
}

MMRESULT RtMidiOutDriver::Close(MidiHandle handle) {
    auto it = ports_.find(handle);
    if (it == ports_.end()) return MMSYSERR_INVALHANDLE;
    ports_.erase(it); // RtMidi closes the port and its client with the object
    return MMSYSERR_NOERROR;
}

// --- input --------------------------------------------------------------------

struct RtMidiInDriver::Port : TDriverInputPort {
    bool failed = false;
    // Held by RtMidi's thread while it delivers; Stop, Reset and Close take it,
    // so no delivery is in progress when they return.
    std::mutex delivering;
    // Last, so that it goes first: its thread is joined before the rest is freed.
    std::unique_ptr<RtMidiIn> in;
};

namespace {

// RtMidi's thread: one whole message.
void ReceiveMessage(double, std::vector<unsigned char>* message, void* userData) {
    auto* port = static_cast<RtMidiInDriver::Port*>(userData);
    if (!message) return;
    std::lock_guard guard(port->delivering);
    if (port->started.load(std::memory_order_acquire)) port->Deliver(message->data(), message->size());
}

} // namespace

RtMidiInDriver::RtMidiInDriver(std::string clientName) : clientName_(std::move(clientName)) {
    try {
        probe_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName_ + ListerClientSuffix);
    } catch (const RtMidiError&) {
    }
}

RtMidiInDriver::~RtMidiInDriver() = default;

std::vector<unsigned> RtMidiInDriver::ForeignPorts(std::vector<std::string>* names) {
    return ForeignPortsOf(probe_.get(), clientName_, names);
}

RtMidiInDriver::Port* RtMidiInDriver::Find(MidiHandle handle) {
    auto it = ports_.find(handle);
    return it == ports_.end() ? nullptr : it->second.get();
}

std::uint32_t RtMidiInDriver::GetNumDevs() { return static_cast<std::uint32_t>(ForeignPorts().size()); }

MMRESULT RtMidiInDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    if (!probe_) return MMSYSERR_NODRIVER;
    std::vector<std::string> names;
    ForeignPorts(&names);
    return DeviceNameFrom(names, deviceId, productName);
}

MMRESULT RtMidiInDriver::Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback,
                              std::uintptr_t instance) {
    handle = 0;
    auto foreign = ForeignPorts();
    if (!probe_) return MMSYSERR_NODRIVER;
    if (deviceId < 0 || deviceId >= static_cast<std::int32_t>(foreign.size())) return MMSYSERR_BADDEVICEID;
    auto port = std::make_unique<Port>();
    port->device = deviceId;
    port->callback = callback;
    port->instance = instance;
    port->handle = nextHandle_++;
    try {
        // A client name of its own keeps the output's name free for the mapper port.
        port->in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName_ + InputClientSuffix, 1024);
        port->in->setErrorCallback(QuietErrors, &port->failed);
        port->in->ignoreTypes(false, false, false); // the port decides what passes
        port->in->setCallback(&ReceiveMessage, port.get());
        port->in->openPort(foreign[static_cast<std::size_t>(deviceId)], clientName_);
    } catch (const RtMidiError&) {
        return MMSYSERR_NOTENABLED;
    }
    if (port->failed) return MMSYSERR_NOTENABLED;
    handle = port->handle;
    ports_[handle] = std::move(port);
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiInDriver::GetID(MidiHandle handle, std::int32_t& deviceId) {
    Port* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    deviceId = p->device;
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiInDriver::PrepareHeader(MidiHandle handle, MIDIHDR* header) {
    return Find(handle) ? TLentBuffers::Prepare(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT RtMidiInDriver::UnprepareHeader(MidiHandle handle, MIDIHDR* header) {
    Port* p = Find(handle);
    return p ? p->buffers.Unprepare(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT RtMidiInDriver::AddBuffer(MidiHandle handle, MIDIHDR* header) {
    Port* p = Find(handle);
    return p ? p->buffers.AddPrepared(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT RtMidiInDriver::Start(MidiHandle handle) {
    Port* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    p->Start();
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiInDriver::Stop(MidiHandle handle) {
    Port* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    std::lock_guard guard(p->delivering);
    p->started.store(false, std::memory_order_release);
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiInDriver::Reset(MidiHandle handle) {
    Port* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    {
        std::lock_guard guard(p->delivering);
        p->started.store(false, std::memory_order_release);
    }
    p->ReturnBuffers();
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiInDriver::Close(MidiHandle handle) {
    Port* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    if (p->buffers.Count() != 0) return MIDIERR_STILLPLAYING;
    {
        std::lock_guard guard(p->delivering);
        p->started.store(false, std::memory_order_release);
    }
    // RtMidi's thread may be entering the callback even now; closing the
    // port joins that thread, so nothing of the port is in use afterwards.
    p->in->closePort();
    p->in->cancelCallback();
    ports_.erase(handle);
    return MMSYSERR_NOERROR;
}
