#pragma once
// The ring between the driver's thread and the GUI thread: fixed 12-byte
// records in storage allocated once, guarded by a lock held only for the few
// instructions of each operation.
#include <cstdint>
#include <memory>
#include <mutex>

struct TMidiRecord {
    std::uint32_t time;    // milliseconds since the input was started
    std::uint32_t message; // packed short message; 0 for long data
    std::uint32_t header;  // slot of the long-data buffer, 1-based; 0 for a short message
};
static_assert(sizeof(TMidiRecord) == 12);

class TInputRing {
public:
    explicit TInputRing(int capacity);

    int Count() const;
    int Capacity() const { return capacity_; }
    // The record at the read index, or none. It stays valid until Advance:
    // writers never touch an unread slot.
    const TMidiRecord* Peek() const;
    bool Advance();
    bool PutShort(std::uint32_t time, std::uint32_t message) noexcept;
    bool PutLong(std::uint32_t time, std::uint32_t header) noexcept;

private:
    bool Put(const TMidiRecord& record) noexcept;

    std::unique_ptr<TMidiRecord[]> records_;
    int writeIndex_ = 0, readIndex_ = 0, capacity_, count_ = 0;
    mutable std::mutex lock_;
};
