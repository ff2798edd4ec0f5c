#pragma once
// One received message.
#include <cstdint>
#include <vector>

struct TMidiEvent {
    std::uint8_t status = 0; // 0xF0 or 0xF7 for system exclusive
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::uint32_t time = 0;
    std::uint32_t dataLength = 0;
    std::vector<std::uint8_t> data; // system exclusive only
    bool IsLong() const { return !data.empty() || status == 0xF0 || status == 0xF7; }
};
