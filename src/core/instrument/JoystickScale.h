#pragma once
// A raw axis position in a caller's range: rounded half to even, clamped;
// 0 for an empty axis or target range.
#include <cmath>

inline int JoystickScale(int value, int min, int max, int low, int high) {
    if (max == min || high == low) return 0;
    const double r = static_cast<double>(value - min) / static_cast<double>(max - min) * (high - low);
    const int scaled = static_cast<int>(std::nearbyint(r)) + low; // the default rounding: halves to even
    return scaled < low ? low : scaled > high ? high : scaled;
}
