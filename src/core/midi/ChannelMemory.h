#pragma once
// What a receiver that was not yet listening needs to sound as if it had been:
// per channel the last value of each controller, the program and the pitch
// bend, replayed in an order that keeps bank selects ahead of programs.
#include "midi/ShortMessage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class TChannelMemory {
public:
    TChannelMemory() { Clear(); }
    // Keeps what the message leaves behind; notes and channel-mode messages leave nothing.
    void Record(const TShortMessage& message);
    // Controllers in ascending order (bank select first), then the program, then the bend.
    std::vector<TShortMessage> Replay() const;
    void Clear();

private:
    struct TChannel {
        std::array<std::int16_t, 120> controllers; // -1: never sent
        std::int16_t program;
        std::optional<int> bend; // none: never sent
    };
    std::array<TChannel, 16> channels_;
};
