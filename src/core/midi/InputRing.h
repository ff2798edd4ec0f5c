#pragma once
// The ring between the driver's thread and the GUI thread: fixed 8-byte
// records in storage allocated once, guarded by a lock held only for the few
// instructions of each operation.
#include "midi/ShortMessage.h"

#include <cstdint>
#include <memory>
#include <mutex>

struct TMidiRecord {
    std::uint32_t time = 0;   // milliseconds since the input was started
    TShortMessage message;    // a short message
    std::uint8_t sysexSlot = 0; // else the 1-based slot of a system exclusive block
};
static_assert(sizeof(TMidiRecord) == 8);

class TInputRing {
public:
    explicit TInputRing(int capacity);

    int Count() const;
    int Capacity() const { return capacity_; }
    // The record at the read index, or none. It stays valid until Advance:
    // writers never touch an unread slot.
    const TMidiRecord* Peek() const;
    bool Advance();
    bool Put(const TMidiRecord& record) noexcept;

private:
    std::unique_ptr<TMidiRecord[]> records_;
    int writeIndex_ = 0, readIndex_ = 0, capacity_, count_ = 0;
    mutable std::mutex lock_;
};
