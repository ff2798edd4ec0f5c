#include "instrument/ControllerInputs.h"

#include "instrument/JoystickScale.h"

#include <algorithm>
#include <cmath>

std::optional<TShortMessage> MouseWheel::Step(int code, int delta, bool shift, int sensitivity, int pitchPosition,
                                              int wheelValue, int channel) {
    const double f = shift ? ShiftFactor : 1.0;
    if (code == ControllerCode::PitchBend) {
        const int v = static_cast<int>(std::nearbyint(delta * sensitivity * f)) + pitchPosition;
        return ShortMessage::PitchBend(channel, std::clamp(v, ShortMessage::PitchBendMin, ShortMessage::PitchBendMax));
    }
    if (code < 0 || code > 127) return std::nullopt;
    const int v = static_cast<int>(std::nearbyint(delta * sensitivity * f / 60)) + wheelValue;
    return ShortMessage::ControlChange(channel, code, std::clamp(v, 0, 127));
}

namespace {
const TJoystickAxis AllAxes[] = {TJoystickAxis::X, TJoystickAxis::Y, TJoystickAxis::Z};

void Send(std::vector<TShortMessage>& out, int code, int scaled14, int scaled7, int channel) {
    if (code == ControllerCode::PitchBend) {
        out.push_back(ShortMessage::PitchBend(channel, scaled14 - 8192));
    } else if (code >= 0 && code <= 127) {
        out.push_back(ShortMessage::ControlChange(channel, code, scaled7));
    }
}

// The slots a move goes through: 0 while no button is held, else each held one.
std::vector<int> Slots(unsigned buttons) {
    std::vector<int> slots;
    for (int k = 1; k <= 4; ++k)
        if (buttons & (1u << (k - 1))) slots.push_back(k);
    if (slots.empty()) slots.push_back(0);
    return slots;
}
} // namespace

bool TJoystickTable::Maps(int joystick) const {
    for (TJoystickAxis axis : AllAxes)
        for (int slot = 0; slot < Slots; ++slot)
            if (Code(joystick, axis, slot) != ControllerCode::None) return true;
    return false;
}

std::string TJoystickTable::ValueName(int joystick, TJoystickAxis axis, int slot) {
    return std::string(1, "XYZ"[static_cast<int>(axis)]) + std::to_string(joystick) + std::to_string(slot);
}

void TJoystickTable::Load(TIniStore& store) {
    for (int j = 0; j < Joysticks; ++j)
        for (int slot = 0; slot < Slots; ++slot)
            for (TJoystickAxis axis : AllAxes)
                SetCode(j, axis, slot, store.ReadInteger(Section, ValueName(j, axis, slot), ControllerCode::None));
}

void TJoystickTable::Save(TIniStore& store) const {
    for (int j = 0; j < Joysticks; ++j)
        for (int slot = 0; slot < Slots; ++slot)
            for (TJoystickAxis axis : AllAxes) {
                const std::string name = ValueName(j, axis, slot);
                const int code = Code(j, axis, slot);
                if (code == ControllerCode::None) store.DeleteValue(Section, name);
                else store.WriteInteger(Section, name, code);
            }
}

std::array<std::uint8_t, TJoystickTable::ByteSize> TJoystickTable::Bytes() const {
    std::array<std::uint8_t, ByteSize> bytes{};
    for (std::size_t i = 0; i < codes_.size(); ++i) {
        const auto v = static_cast<std::uint32_t>(codes_[i]);
        for (std::size_t b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<std::uint8_t>(v >> (8 * b)); // little-endian
    }
    return bytes;
}

void TJoystickTable::SetBytes(const std::array<std::uint8_t, ByteSize>& bytes) {
    for (std::size_t i = 0; i < codes_.size(); ++i) {
        std::uint32_t v = 0;
        for (std::size_t b = 0; b < 4; ++b) v |= static_cast<std::uint32_t>(bytes[i * 4 + b]) << (8 * b);
        codes_[i] = static_cast<std::int32_t>(v);
    }
}

std::vector<TShortMessage> TJoystickMapper::XYMove(const TJoystickTable& table, int joystick, const TAxisRanges& r,
                                                   int x, int y, unsigned buttons, int channel) {
    std::vector<TShortMessage> out;
    if (joystick < 0 || joystick > 1) return out;
    const auto j = static_cast<std::size_t>(joystick);
    const bool xChanged = x != lastX_[j], yChanged = y != lastY_[j];
    lastX_[j] = x;
    lastY_[j] = y;
    for (int slot : Slots(buttons)) {
        if (xChanged)
            Send(out, table.Code(joystick, TJoystickAxis::X, slot), JoystickScale(x, r.xMin, r.xMax, 0, 16383),
                 JoystickScale(x, r.xMin, r.xMax, 0, 127), channel);
        if (yChanged)
            Send(out, table.Code(joystick, TJoystickAxis::Y, slot), JoystickScale(r.yMax - y, r.yMin, r.yMax, 0, 16383),
                 JoystickScale(r.yMax - y, r.yMin, r.yMax, 0, 127), channel);
    }
    return out;
}

std::vector<TShortMessage> TJoystickMapper::ZMove(const TJoystickTable& table, int joystick, const TAxisRanges& r,
                                                  int z, unsigned buttons, int channel) {
    std::vector<TShortMessage> out;
    if (joystick < 0 || joystick > 1) return out;
    const auto j = static_cast<std::size_t>(joystick);
    if (z == lastZ_[j]) return out;
    lastZ_[j] = z;
    for (int slot : Slots(buttons))
        Send(out, table.Code(joystick, TJoystickAxis::Z, slot), JoystickScale(z, r.zMin, r.zMax, 0, 16383),
             JoystickScale(z, r.zMin, r.zMax, 0, 127), channel);
    return out;
}
