#include "fake/FakeMidiInDriver.h"


FakeMidiInDriver::TOpenPort* FakeMidiInDriver::Find(MidiHandle handle) {
    for (auto& p : ports_)
        if (p->handle == handle) return p.get();
    return nullptr;
}

std::uint32_t FakeMidiInDriver::GetNumDevs() { return static_cast<std::uint32_t>(devices.size()); }

MMRESULT FakeMidiInDriver::GetDevCaps(std::int32_t deviceId, std::string& productName) {
    calls.push_back("caps " + std::to_string(deviceId));
    if (capsResult != MMSYSERR_NOERROR) return capsResult;
    return DeviceNameFrom(devices, deviceId, productName);
}

MMRESULT FakeMidiInDriver::Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback,
                                std::uintptr_t instance) {
    calls.push_back("open " + std::to_string(deviceId));
    std::lock_guard guard(mutex_);
    handle = 0;
    if (openResult == MMSYSERR_NOERROR || openGivesHandle) {
        handle = nextHandle_++;
        auto port = std::make_unique<TOpenPort>();
        port->handle = handle;
        port->device = deviceId;
        port->callback = callback;
        port->instance = instance;
        ports_.push_back(std::move(port));
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
    return Find(handle) ? TLentBuffers::Prepare(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT FakeMidiInDriver::UnprepareHeader(MidiHandle handle, MIDIHDR* header) {
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    return p ? p->buffers.Unprepare(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT FakeMidiInDriver::AddBuffer(MidiHandle handle, MIDIHDR* header) {
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    return p ? p->buffers.AddPrepared(header) : MMSYSERR_INVALHANDLE;
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

MMRESULT FakeMidiInDriver::Reset(MidiHandle handle) {
    calls.push_back("reset");
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    p->started = false;
    p->buffers.ReturnAll(p->handle, p->callback, p->instance);
    return MMSYSERR_NOERROR;
}

MMRESULT FakeMidiInDriver::Close(MidiHandle handle) {
    calls.push_back("close");
    std::lock_guard guard(mutex_);
    TOpenPort* p = Find(handle);
    if (!p) return MMSYSERR_INVALHANDLE;
    if (p->buffers.Count() != 0) return MIDIERR_STILLPLAYING;
    std::erase_if(ports_, [p](const auto& open) { return open.get() == p; });
    return MMSYSERR_NOERROR;
}

bool FakeMidiInDriver::InjectShort(std::uint32_t packed, std::uint32_t time) {
    std::lock_guard guard(mutex_);
    for (auto& p : ports_) {
        if (!p->started) continue;
        p->callback(p->handle, MIM_DATA, p->instance, packed, time);
        return true;
    }
    return false;
}

int FakeMidiInDriver::InjectLong(const std::vector<std::uint8_t>& bytes, std::uint32_t time) {
    std::lock_guard guard(mutex_);
    for (auto& p : ports_)
        if (p->started) return p->buffers.Deliver(bytes.data(), bytes.size(), p->handle, p->callback, p->instance, time);
    return 0;
}

bool FakeMidiInDriver::ReturnEmptyBuffer(std::uint32_t time) {
    std::lock_guard guard(mutex_);
    for (auto& p : ports_) {
        if (p->started && p->buffers.ReturnEmpty(p->handle, p->callback, p->instance, time)) return true;
    }
    return false;
}

std::size_t FakeMidiInDriver::QueuedBuffers() {
    std::lock_guard guard(mutex_);
    std::size_t n = 0;
    for (auto& p : ports_) n += p->buffers.Count();
    return n;
}

bool FakeMidiInDriver::IsStarted() {
    std::lock_guard guard(mutex_);
    for (auto& p : ports_)
        if (p->started) return true;
    return false;
}
