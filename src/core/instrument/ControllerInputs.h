#pragma once
// What the mouse wheel and the joysticks drive: a controller code per input
// (0..127 a control change, 128 the pitch bend, 129 nothing), and the
// messages their moves send.
#include "midi/ControllerCode.h"
#include "midi/ShortMessage.h"
#include "store/IniStore.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>


namespace MouseWheel {
inline constexpr double ShiftFactor = 0.3;
// The message of one wheel step of delta (120 a notch) from the current
// pitch wheel position or mouse-wheel value; none for code 129.
std::optional<TShortMessage> Step(int code, int delta, bool shift, int sensitivity, int pitchPosition, int wheelValue,
                                  int channel);
} // namespace MouseWheel

enum class TJoystickAxis { X, Y, Z };

// Joystick, axis and slot (0 while no button is held, k while button k is).
class TJoystickTable {
public:
    static constexpr int Joysticks = 2, Axes = 3, Slots = 5;
    static constexpr const char* Section = "Joystick";
    static constexpr std::size_t ByteSize = Joysticks * Axes * Slots * 4;

    TJoystickTable() { codes_.fill(ControllerCode::None); }
    int Code(int joystick, TJoystickAxis axis, int slot) const { return codes_[Index(joystick, axis, slot)]; }
    void SetCode(int joystick, TJoystickAxis axis, int slot, int code) { codes_[Index(joystick, axis, slot)] = code; }
    // Whether a joystick's half maps anything.
    bool Maps(int joystick) const;
    // "X00" .. "Z14": axis letter, joystick, slot.
    static std::string ValueName(int joystick, TJoystickAxis axis, int slot);
    void Load(TIniStore& store);
    // An entry of 129 deletes its value.
    void Save(TIniStore& store) const;
    // The settings dialog's copy: joystick, then axis, then slot, four bytes each.
    std::array<std::uint8_t, ByteSize> Bytes() const;
    void SetBytes(const std::array<std::uint8_t, ByteSize>& bytes);
    bool operator==(const TJoystickTable&) const = default;

private:
    static std::size_t Index(int joystick, TJoystickAxis axis, int slot) {
        return static_cast<std::size_t>((joystick * Axes + static_cast<int>(axis)) * Slots + slot);
    }
    std::array<std::int32_t, Joysticks * Axes * Slots> codes_{};
};

// A joystick's axis ranges, for scaling its raw positions.
struct TAxisRanges {
    int xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
};

// The last positions seen per joystick, and the messages a move sends.
class TJoystickMapper {
public:
    // buttons: bit k for button k + 1 (the first four).
    std::vector<TShortMessage> XYMove(const TJoystickTable& table, int joystick, const TAxisRanges& ranges, int x, int y,
                                      unsigned buttons, int channel);
    std::vector<TShortMessage> ZMove(const TJoystickTable& table, int joystick, const TAxisRanges& ranges, int z,
                                     unsigned buttons, int channel);

private:
    std::array<int, 2> lastX_{}, lastY_{}, lastZ_{};
};
