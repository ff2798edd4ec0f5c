#pragma once
// Short messages from one thread to the server's process thread, without a
// lock or an allocation. Each carries the server generation it was sent
// for, so that what was meant for a server that went away is not played on
// the next one.
#include "midi/ShortMessage.h"

#include <jack/ringbuffer.h>

#include <cstddef>
#include <cstdint>

struct TJackRecord {
    std::uint32_t generation = 0;
    std::uint8_t length = 0;
    std::uint8_t bytes[3] = {};
};

class TJackRing {
public:
    explicit TJackRing(std::size_t records = 4096) : ring_(jack_ringbuffer_create(records * sizeof(TJackRecord))) {}
    ~TJackRing() { jack_ringbuffer_free(ring_); }
    TJackRing(const TJackRing&) = delete;
    TJackRing& operator=(const TJackRing&) = delete;

    // The writer's thread; false when the ring is full.
    bool Write(std::uint64_t generation, const TShortMessage& m) {
        if (jack_ringbuffer_write_space(ring_) < sizeof(TJackRecord)) return false;
        TJackRecord record;
        record.generation = static_cast<std::uint32_t>(generation);
        record.length = static_cast<std::uint8_t>(ShortMessage::Length(m.status));
        record.bytes[0] = m.status;
        record.bytes[1] = m.data1;
        record.bytes[2] = m.data2;
        jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&record), sizeof record);
        return true;
    }

    // The server's thread: the records of this generation (any, for 0) in
    // order, for as long as take accepts them; the others are dropped.
    template <typename Take>
    void Drain(std::uint64_t generation, Take take) {
        TJackRecord record;
        while (jack_ringbuffer_read_space(ring_) >= sizeof record) {
            jack_ringbuffer_peek(ring_, reinterpret_cast<char*>(&record), sizeof record);
            const bool current = generation == 0 || record.generation == static_cast<std::uint32_t>(generation);
            if (current && !take(record)) return; // the rest in the next cycle
            jack_ringbuffer_read_advance(ring_, sizeof record);
        }
    }

    bool Empty() const { return jack_ringbuffer_read_space(ring_) < sizeof(TJackRecord); }

private:
    jack_ringbuffer_t* ring_;
};
