#pragma once
// What a controller input drives: 0..127 a control change, and two codes
// beyond the controllers.
namespace ControllerCode {
inline constexpr int PitchBend = 128;
inline constexpr int None = 129;
} // namespace ControllerCode
