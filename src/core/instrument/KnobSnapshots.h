#pragma once
// Eight knob snapshots: each slot a menu caption and a value string of
// controller/value pairs in hexadecimal ("07640A40"); an empty string is a
// free slot.
#include "store/IniStore.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using TControllerValue = std::pair<int, int>;

namespace KnobSnapshot {
// Two capital hex digits of each controller and its value, a controller
// that occurred before left out.
std::string Build(const std::vector<TControllerValue>& knobs);
// The complete pairs before the first character that is not a hex digit.
std::vector<TControllerValue> Decode(const std::string& values);
} // namespace KnobSnapshot

class TKnobSnapshots {
public:
    static constexpr int SlotCount = 8;
    static constexpr const char* Section = "Snapshots"; // in the main window's settings

    TKnobSnapshots();

    // Slots count from 1.
    const std::string& Caption(int slot) const { return slots_.at(Index(slot)).caption; }
    const std::string& Values(int slot) const { return slots_.at(Index(slot)).values; }
    bool Used(int slot) const { return !Values(slot).empty(); }
    int UsedCount() const;
    // The name a user edits: the caption without "&n ".
    std::string Name(int slot) const;
    // "&n name" with the value string of the knobs.
    void Define(int slot, const std::string& name, const std::vector<TControllerValue>& knobs);

    // Used slots write "Name"n and "Values"n, free ones delete both; the count written.
    int Save(TIniStore& store, const std::string& section) const;
    // Slots with values in the store take them; the others stay. The count read.
    int Load(TIniStore& store, const std::string& section);

    static std::string DefaultCaption(int slot);

private:
    static std::size_t Index(int slot) { return static_cast<std::size_t>(slot - 1); }
    struct TSlot {
        std::string caption;
        std::string values;
    };
    std::array<TSlot, SlotCount> slots_;
};
