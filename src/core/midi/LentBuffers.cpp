#include "midi/LentBuffers.h"

#include "midi/ShortMessage.h"

#include <algorithm>
#include <chrono>
#include <cstring>

MMRESULT TLentBuffers::Prepare(MIDIHDR* header) {
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT TLentBuffers::Unprepare(MIDIHDR* header) const {
    if (Contains(header)) return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT TLentBuffers::AddPrepared(MIDIHDR* header) {
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    return Add(header);
}

MMRESULT TLentBuffers::Add(MIDIHDR* header) {
    std::lock_guard guard(lock_);
    if (count_ == Capacity) return MMSYSERR_NOMEM;
    header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~MHDR_DONE;
    buffers_[(first_ + count_) % Capacity] = header;
    ++count_;
    return MMSYSERR_NOERROR;
}

bool TLentBuffers::Contains(const MIDIHDR* header) const {
    std::lock_guard guard(lock_);
    for (std::size_t i = 0; i < count_; ++i)
        if (buffers_[(first_ + i) % Capacity] == header) return true;
    return false;
}

std::size_t TLentBuffers::Count() const {
    std::lock_guard guard(lock_);
    return count_;
}

MIDIHDR* TLentBuffers::Take() {
    std::lock_guard guard(lock_);
    if (count_ == 0) return nullptr;
    MIDIHDR* header = buffers_[first_];
    first_ = (first_ + 1) % Capacity;
    --count_;
    return header;
}

void TLentBuffers::Return(MIDIHDR* header, MidiHandle handle, MidiInCallback callback, std::uintptr_t instance,
                          std::uint32_t time) {
    header->dwFlags = (header->dwFlags | MHDR_DONE) & ~MHDR_INQUEUE;
    callback(handle, MIM_LONGDATA, instance, reinterpret_cast<std::uintptr_t>(header), time);
}

int TLentBuffers::Deliver(const std::uint8_t* bytes, std::size_t size, MidiHandle handle, MidiInCallback callback,
                          std::uintptr_t instance, std::uint32_t time) {
    int filled = 0;
    std::size_t done = 0;
    while (done < size) {
        MIDIHDR* header = Take();
        if (!header) break;
        const std::size_t n = std::min<std::size_t>(header->dwBufferLength, size - done);
        std::memcpy(header->lpData, bytes + done, n);
        header->dwBytesRecorded = static_cast<std::uint32_t>(n);
        done += n;
        Return(header, handle, callback, instance, time);
        ++filled;
    }
    return filled;
}

bool TLentBuffers::ReturnEmpty(MidiHandle handle, MidiInCallback callback, std::uintptr_t instance,
                               std::uint32_t time) {
    MIDIHDR* header = Take();
    if (!header) return false;
    header->dwBytesRecorded = 0;
    Return(header, handle, callback, instance, time);
    return true;
}

void TLentBuffers::ReturnAll(MidiHandle handle, MidiInCallback callback, std::uintptr_t instance) {
    while (ReturnEmpty(handle, callback, instance, 0)) {
    }
}

namespace {

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void TDriverInputPort::Start() {
    startTime.store(NowMs());
    started.store(true, std::memory_order_release);
}

void TDriverInputPort::Deliver(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return;
    const auto time = static_cast<std::uint32_t>(NowMs() - startTime.load(std::memory_order_relaxed));
    if (bytes[0] != 0xF0 && size <= 3) callback(handle, MIM_DATA, instance, ShortMessage::PackBytes(bytes, size), time);
    else buffers.Deliver(bytes, size, handle, callback, instance, time);
}
