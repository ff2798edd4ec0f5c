#pragma once
// What reached the fake output port, as (status, data 1, data 2).
#include "fake/FakeMidiDriver.h"

#include <tuple>
#include <vector>

inline std::vector<std::tuple<int, int, int>> SentMessages(const FakeMidiOutDriver& driver) {
    std::vector<std::tuple<int, int, int>> m;
    for (const auto& s : driver.sent)
        if (s.packed) m.emplace_back(s.packed & 0xFF, (s.packed >> 8) & 0xFF, (s.packed >> 16) & 0xFF);
    return m;
}
