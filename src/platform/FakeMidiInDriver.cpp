#include "platform/FakeMidiInDriver.h"

#include <algorithm>
#include <cstring>

FakeMidiInDriver::TOpenPort* FakeMidiInDriver::Find(MidiHandle handle) {
    for (auto& p : ports_)
        if (p.handle == handle) return &p;
    return nullptr;
}

std::uint32_t FakeMidiInDriver::GetNumDevs() { return static_cast<std::uint32_t>(devices.size()); }

MMRESULT FakeMidiInDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    calls.push_back("caps " + std::to_string(deviceId));
    if (capsResult != MMSYSERR_NOERROR) return capsResult;
    if (deviceId < 0 || deviceId >= static_cast<std::int32_t>(devices.size())) return MMSYSERR_BADDEVICEID;
    productName = devices[static_cast<std::size_t>(deviceId)];
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiInDriver::Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback,
                                std::uintptr_t instance) {
    calls.push_back("open " + std::to_string(deviceId));
    std::lock_guard guard(mutex_);
    handle = 0;
    if (openResult == MMSYSERR_NOERROR || openGivesHandle) {
        handle = nextHandle_++;
        ports_.push_back({handle, deviceId, callback, instance, false, {}});
    }
    return openResult;
}

MMRESULT FakeMidiInDriver::GetID(MidiHandle handle, std::int32_t& deviceId) {
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    deviceId = p->device;
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiInDriver::PrepareHeader(MidiHandle handle, MIDIHDR* header) {
    std::lock_guard guard(mutex_);
    if (!Find(handle)) return MMSYSERR_INVALHANDLE;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiInDriver::UnprepareHeader(MidiHandle handle, MIDIHDR* header) {
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    if (std::find(p->buffers.begin(), p->buffers.end(), header) != p->buffers.end()) return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiInDriver::AddBuffer(MidiHandle handle, MIDIHDR* header) {
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~MHDR_DONE;
    p->buffers.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiInDriver::Start(MidiHandle handle) {
    calls.push_back("start");
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    p->started = true;
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiInDriver::Stop(MidiHandle handle) {
    calls.push_back("stop");
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    p->started = false;
    return MMSYSERR_NOERROR;
}

void FakeMidiInDriver::ReturnBuffer(TOpenPort& port, MIDIHDR* header, std::uint32_t time) {
    header->dwFlags = (header->dwFlags | MHDR_DONE) & ~MHDR_INQUEUE;
    port.callback(port.handle, MIM_LONGDATA, port.instance, reinterpret_cast<std::uintptr_t>(header), time);
}

MMRESULT FakeMidiInDriver::Reset(MidiHandle handle) {
    calls.push_back("reset");
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    p->started = false;
    while (!p->buffers.empty()) {
        MIDIHDR* h = p->buffers.front();
        p->buffers.pop_front();
        h->dwBytesRecorded = 0;
        ReturnBuffer(*p, h, 0);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiInDriver::Close(MidiHandle handle) {
    calls.push_back("close");
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    if (!p->buffers.empty()) return MIDIERR_STILLPLAYING;
    ports_.erase(ports_.begin() + (p - ports_.data()));
    return MMSYSERR_NOERROR;
}

bool FakeMidiInDriver::InjectShort(std::uint32_t packed, std::uint32_t time) {
    std::lock_guard guard(mutex_);
    for (auto& p : ports_) {
        if (!p.started) continue;
        p.callback(p.handle, MIM_DATA, p.instance, packed, time);
        return true;
    }
    return false;
}

int FakeMidiInDriver::InjectLong(const std::vector<std::uint8_t>& bytes, std::uint32_t time) {
    std::lock_guard guard(mutex_);
    for (auto& p : ports_) {
        if (!p.started) continue;
        int filled = 0;
        std::size_t done = 0;
        while (done < bytes.size() && !p.buffers.empty()) {
            MIDIHDR* h = p.buffers.front();
            p.buffers.pop_front();
            const std::size_t n = std::min<std::size_t>(h->dwBufferLength, bytes.size() - done);
            std::memcpy(h->lpData, bytes.data() + done, n);
            h->dwBytesRecorded = static_cast<std::uint32_t>(n);
            done += n;
            ReturnBuffer(p, h, time);
            ++filled;
        }
        return filled; // without a buffer the rest is lost, as with the system's driver
    }
    return 0;
}

bool FakeMidiInDriver::ReturnEmptyBuffer(std::uint32_t time) {
    std::lock_guard guard(mutex_);
    for (auto& p : ports_) {
        if (!p.started || p.buffers.empty()) continue;
        MIDIHDR* h = p.buffers.front();
        p.buffers.pop_front();
        h->dwBytesRecorded = 0;
        ReturnBuffer(p, h, time);
        return true;
    }
    return false;
}

std::size_t FakeMidiInDriver::QueuedBuffers() {
    std::lock_guard guard(mutex_);
    std::size_t n = 0;
    for (auto& p : ports_) n += p.buffers.size();
    return n;
}

bool FakeMidiInDriver::IsStarted() {
    std::lock_guard guard(mutex_);
    for (auto& p : ports_)
        if (p.started) return true;
    return false;
}
