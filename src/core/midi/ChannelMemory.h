#pragma once
// What a receiver that was not yet listening needs to sound as if it had been:
// per channel the last value of each controller, the program and the pitch
// bend, replayed in an order that keeps bank selects ahead of programs.
#include "midi/ShortMessage.h"

#include <array>
#include <cstdint>
#include <vector>

class TChannelMemory {
public:
    TChannelMemory() { Clear(); }
    // Keeps what the message leaves behind; notes and channel-mode messages leave nothing.
    void Record(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    // Controllers in ascending order (bank select first), then the program, then the bend.
    std::vector<TShortMessage> Replay() const;
    void Clear();

private:
    struct TChannel {
        std::array<std::int16_t, 120> controllers; // -1: never sent
        std::int16_t program;
        std::int16_t bendLsb, bendMsb;
    };
    std::array<TChannel, 16> channels_;
};
