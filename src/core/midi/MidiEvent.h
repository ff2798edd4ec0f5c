#pragma once
// One received message.
#include "midi/ShortMessage.h"

#include <cstdint>
#include <vector>

struct TMidiEvent {
    TShortMessage message; // status 0xF0, or 0xF7 for a continuation, for system exclusive
    std::uint32_t time = 0;
    std::uint32_t dataLength = 0;
    std::vector<std::uint8_t> data; // system exclusive only
    bool IsLong() const { return !data.empty() || message.status == 0xF0 || message.status == 0xF7; }
};
