#pragma once
// Knob presets: named knob lists kept as subkeys of "KnobPresets", with two
// reserved names, "Default" (one Volume knob, never stored) and "Current"
// (the unnamed working set saved at exit).
#include "store/IniStore.h"

#include <string>
#include <vector>

namespace KnobPresets {
inline constexpr const char* Key = "KnobPresets";
inline constexpr const char* Default = "Default";
inline constexpr const char* Current = "Current";

bool IsReserved(const std::string& name);
// Why a name cannot name a stored preset, or "" when it can: it must not be
// empty, and a registry key and an INI section must both be able to hold it.
// The reserved names are a matter of their own.
std::string NameProblem(const std::string& name);
// The section of a preset below the program's root: "KnobPresets\<name>".
std::string Section(const std::string& name);
// The stored presets without the reserved names, in stored order.
std::vector<std::string> StoredNames(TIniStore& root);
// The names of the Presets menu: the stored ones and "Default", sorted
// without regard to case.
std::vector<std::string> MenuNames(TIniStore& root);
// The current name after the menu was refreshed: a name no longer listed
// falls back to "Default", "Current" stays.
std::string AfterRefresh(const std::string& current, const std::vector<std::string>& menuNames);

struct TSelection {
    std::string current; // the name that becomes current
    bool volumeOnly;     // "Default": the row holds the Volume knob alone; else it is loaded
};
// What selecting a name does: it must be "Current" or a menu name, and its key
// must exist; anything else selects "Default".
TSelection Select(const std::string& name, const std::vector<std::string>& menuNames, bool keyExists);
} // namespace KnobPresets
