#pragma once
// Knob presets in a registry store, as the export tests need them.
#include "store/IniStore.h"

#include <string>

// count presets of the given number of knobs, "Preset 0", "Preset 1", ...
inline void StorePresets(TIniStore& root, int count = 6, int knobs = 2) {
    for (int p = 0; p < count; ++p) {
        const std::string section = "KnobPresets\\Preset " + std::to_string(p);
        for (int k = 1; k <= knobs; ++k) {
            root.WriteString(section, "Caption" + std::to_string(k), "Knob " + std::to_string(p * 10 + k));
            root.WriteInteger(section, "DisplayMode" + std::to_string(k), k - 1);
            root.WriteInteger(section, "DefaultValue" + std::to_string(k), 64 + p);
            root.WriteInteger(section, "IUser" + std::to_string(k), k);
        }
    }
}

