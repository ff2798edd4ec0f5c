#pragma once
// The piano keyboard's stored values, each declared once with its name and
// its default; reading keeps the control's current value where the store has none.
#include "store/StoredSetting.h"

namespace KeyboardSettings {
inline constexpr TIntSetting BaseNote{"BaseNote", 28};
inline constexpr TIntSetting Channel{"Channel", 0};
inline constexpr TIntSetting Chord{"Chord", 0};
inline constexpr TIntSetting KeyWidth{"KeyWidth", 15};
inline constexpr TIntSetting Language{"Language", 0};
inline constexpr TIntSetting MarkNote{"MarkNote", 60};
inline constexpr TIntSetting ShadowWidth{"ShadowWidth", 1};
inline constexpr TIntSetting VelShiftFactor{"VelShiftFactor", 50}; // percent
inline constexpr TIntSetting Velocity{"Velocity", 100};
inline constexpr TIntSetting UpDownController{"UpDownController", 1};
inline constexpr TIntSetting LeftRightController{"LeftRightController", 128};
inline constexpr TIntSetting KeyOctave{"KeyOctave", 4};
inline constexpr TIntSetting ImageSize{"ImageSize", 1};
inline constexpr TIntSetting LowerCKey{"LowerCKey", 44};
inline constexpr TIntSetting UpperCKey{"UpperCKey", 16};
inline constexpr TIntSetting PaintStyle{"PaintStyle", 0};
inline constexpr TBoolSetting KeyLegends{"KeyLegends", false};
} // namespace KeyboardSettings
