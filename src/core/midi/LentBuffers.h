#pragma once
// The long-message buffers an input port has lent its driver, in the order
// they were added, and the cutting of system exclusive data into them. Every
// input backend keeps its buffers here, so the path the tests drive is the
// path the real drivers take. Beside them, what every real input driver keeps
// of an open port and how a received message reaches the port.
#include "midi/MidiInDriver.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

class TLentBuffers {
public:
    static constexpr std::size_t Capacity = 64;

    // The header calls of the port, GUI thread: prepare marks a header, adding
    // wants a prepared one (MMSYSERR_NOMEM when the queue is full), and a lent
    // one cannot be unprepared.
    static MMRESULT Prepare(MIDIHDR* header);
    MMRESULT Unprepare(MIDIHDR* header) const;
    MMRESULT AddPrepared(MIDIHDR* header);
    MMRESULT Add(MIDIHDR* header);
    bool Contains(const MIDIHDR* header) const;
    std::size_t Count() const;

    // Driver thread or GUI thread: the oldest lent buffer, or none.
    MIDIHDR* Take();

    // Cuts the bytes into lent buffers, oldest first, handing each filled one
    // back through the callback as MIM_LONGDATA. Without a buffer the rest is
    // lost, as with the system's driver. Returns how many buffers were filled.
    int Deliver(const std::uint8_t* bytes, std::size_t size, MidiHandle handle, MidiInCallback callback,
                std::uintptr_t instance, std::uint32_t time);
    // Hands the oldest lent buffer back empty; false when none is lent.
    bool ReturnEmpty(MidiHandle handle, MidiInCallback callback, std::uintptr_t instance, std::uint32_t time);
    // Hands every lent buffer back empty (the driver's reset).
    void ReturnAll(MidiHandle handle, MidiInCallback callback, std::uintptr_t instance);

private:
    static void Return(MIDIHDR* header, MidiHandle handle, MidiInCallback callback, std::uintptr_t instance,
                       std::uint32_t time);

    mutable std::mutex lock_; // held only to add or take one header
    std::array<MIDIHDR*, Capacity> buffers_{};
    std::size_t first_ = 0, count_ = 0;
};

// An open input port as a driver holds it: where its messages go, whether it
// is started and since when, and the buffers lent to it.
struct TDriverInputPort {
    std::int32_t device = 0;
    MidiHandle handle = 0;
    MidiInCallback callback = nullptr;
    std::uintptr_t instance = 0;
    std::atomic<bool> started{false};
    std::atomic<std::int64_t> startTime{0};
    TLentBuffers buffers;

    void Start(); // times are counted from here
    // Driver thread, while started: one whole message as received. A short
    // one goes out as MIM_DATA, system exclusive into the lent buffers.
    // Nothing here allocates.
    void Deliver(const std::uint8_t* bytes, std::size_t size);
    // Hands every lent buffer back empty (the driver's reset).
    void ReturnBuffers() { buffers.ReturnAll(handle, callback, instance); }
};
