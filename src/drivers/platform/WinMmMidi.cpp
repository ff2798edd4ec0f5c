#include "WinMmMidi.h"

#include "WinMmCalls.h"

// An open input device: the caller's callback, and the system's header for
// each of the caller's buffers.
struct TWinMmMidiIn::TPort {
    MidiInCallback callback = nullptr;
    std::uintptr_t instance = 0;
    std::mutex headersMutex;
    std::map<MIDIHDR*, WinMm::TBuffer*> headers;
};

namespace {

// The system's thread: long data comes back in the system's header, whose
// user word names the caller's; the caller sees its own header, done.
void Deliver(std::uintptr_t handle, std::uint32_t message, std::uintptr_t instance, std::uintptr_t p1, std::uintptr_t p2) {
    auto* port = reinterpret_cast<TWinMmMidiIn::TPort*>(instance);
    if (!port || !port->callback) return;
    if (message == MIM_LONGDATA || message == MIM_LONGERROR) {
        auto* header = reinterpret_cast<MIDIHDR*>(WinMm::BufferUser(p1));
        header->dwBytesRecorded = WinMm::BufferRecorded(p1);
        header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        p1 = reinterpret_cast<std::uintptr_t>(header);
    }
    port->callback(handle, message, port->instance, p1, p2);
}

} // namespace

std::uint32_t TWinMmMidiOut::GetNumDevs() { return WinMm::OutCount(); }
MMRESULT TWinMmMidiOut::GetDevCaps(std::int32_t deviceId, std::string& name) { return WinMm::OutName(deviceId, name); }
MMRESULT TWinMmMidiOut::Open(MidiHandle& handle, std::int32_t deviceId) { return WinMm::OutOpen(handle, deviceId); }
MMRESULT TWinMmMidiOut::ShortMsg(MidiHandle handle, const TShortMessage& m) {
    return WinMm::OutShort(handle, ShortMessage::Pack(m));
}
MMRESULT TWinMmMidiOut::Reset(MidiHandle handle) { return WinMm::OutReset(handle); }
MMRESULT TWinMmMidiOut::Close(MidiHandle handle) { return WinMm::OutClose(handle); }
MMRESULT TWinMmMidiOut::GetErrorText(MMRESULT code, std::string& text) { return WinMm::OutErrorText(code, text); }

TWinMmMidiIn::TWinMmMidiIn() = default;

TWinMmMidiIn::~TWinMmMidiIn() {
    for (auto& [handle, port] : ports_) {
        WinMm::InReset(handle);
        for (auto& [header, buffer] : port->headers) WinMm::InUnprepare(handle, buffer);
        WinMm::InClose(handle);
    }
}

std::uint32_t TWinMmMidiIn::GetNumDevs() { return WinMm::InCount(); }
MMRESULT TWinMmMidiIn::GetDevCaps(std::int32_t deviceId, std::string& name) { return WinMm::InName(deviceId, name); }

MMRESULT TWinMmMidiIn::Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback, std::uintptr_t instance) {
    auto port = std::make_unique<TPort>();
    port->callback = callback;
    port->instance = instance;
    const MMRESULT r = WinMm::InOpen(handle, deviceId, Deliver, reinterpret_cast<std::uintptr_t>(port.get()));
    if (r != MMSYSERR_NOERROR) return r;
    const std::lock_guard lock(mutex_);
    ports_[handle] = std::move(port);
    return r;
}

MMRESULT TWinMmMidiIn::GetID(MidiHandle handle, std::int32_t& deviceId) { return WinMm::InGetId(handle, deviceId); }

MMRESULT TWinMmMidiIn::PrepareHeader(MidiHandle handle, MIDIHDR* header) {
    const std::lock_guard lock(mutex_);
    const auto it = ports_.find(handle);
    if (it == ports_.end()) return MMSYSERR_INVALHANDLE;
    std::uint32_t result = MMSYSERR_NOERROR;
    WinMm::TBuffer* buffer = WinMm::InPrepare(handle, header->lpData, header->dwBufferLength,
                                              reinterpret_cast<std::uintptr_t>(header), result);
    if (!buffer) return result;
    const std::lock_guard headers(it->second->headersMutex);
    it->second->headers[header] = buffer;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT TWinMmMidiIn::UnprepareHeader(MidiHandle handle, MIDIHDR* header) {
    const std::lock_guard lock(mutex_);
    const auto it = ports_.find(handle);
    if (it == ports_.end()) return MMSYSERR_INVALHANDLE;
    const std::lock_guard headers(it->second->headersMutex);
    const auto found = it->second->headers.find(header);
    if (found == it->second->headers.end()) return MMSYSERR_NOERROR; // never prepared
    const MMRESULT r = WinMm::InUnprepare(handle, found->second);
    if (r != MMSYSERR_NOERROR) return r;
    it->second->headers.erase(found);
    header->dwFlags &= ~MHDR_PREPARED;
    return r;
}

MMRESULT TWinMmMidiIn::AddBuffer(MidiHandle handle, MIDIHDR* header) {
    const std::lock_guard lock(mutex_);
    const auto it = ports_.find(handle);
    if (it == ports_.end()) return MMSYSERR_INVALHANDLE;
    const std::lock_guard headers(it->second->headersMutex);
    const auto found = it->second->headers.find(header);
    if (found == it->second->headers.end()) return MIDIERR_UNPREPARED;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    return WinMm::InAddBuffer(handle, found->second);
}

MMRESULT TWinMmMidiIn::Start(MidiHandle handle) { return WinMm::InStart(handle); }
MMRESULT TWinMmMidiIn::Stop(MidiHandle handle) { return WinMm::InStop(handle); }
MMRESULT TWinMmMidiIn::Reset(MidiHandle handle) { return WinMm::InReset(handle); }

MMRESULT TWinMmMidiIn::Close(MidiHandle handle) {
    const MMRESULT r = WinMm::InClose(handle);
    if (r != MMSYSERR_NOERROR) return r; // still open: buffers still lent, as on the system
    const std::lock_guard lock(mutex_);
    ports_.erase(handle);
    return r;
}

MMRESULT TWinMmMidiIn::GetErrorText(MMRESULT code, std::string& text) { return WinMm::InErrorText(code, text); }
