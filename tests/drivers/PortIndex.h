#pragma once
// A port's place in a driver's list: the first whose name passes; -1 for none.
#include "midi/MidiDriver.h"

#include <cstdint>
#include <string>

template <typename Driver, typename Pass>
std::int32_t PortIndexWhere(Driver& driver, Pass pass) {
    const auto ports = driver.Ports();
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (pass(ports[i].name)) return static_cast<std::int32_t>(i);
    return -1;
}

template <typename Driver>
std::int32_t PortIndex(Driver& driver, const std::string& name) {
    return PortIndexWhere(driver, [&](const std::string& n) { return n == name; });
}
