#include "instrument/ControllerNames.h"

#include "instrument/ControllerInputs.h"

#include <cmath>
#include <cstdio>

namespace ControllerNames {

const std::array<const char*, 128>& Table() {
    static const std::array<const char*, 128> names = [] {
        std::array<const char*, 128> t{};
        const std::pair<int, const char*> defined[] = {
            {0, "Bank Select MSB"}, {1, "Modulation"}, {2, "Breath Control"}, {4, "Foot Controller"},
            {5, "Portamento Time"}, {6, "Data MSB"}, {7, "Channel Volume"}, {8, "Balance"}, {10, "Pan"},
            {11, "Expression"}, {12, "Effect 1"}, {13, "Effect 2"}, {16, "General 1"}, {17, "General 2"},
            {18, "General 3"}, {19, "General 4"}, {32, "Bank Select LSB"}, {33, "Modulation LSB"},
            {34, "Breath Control LSB"}, {36, "Foot Controller LSB"}, {37, "Portamento Time LSB"}, {38, "Data LSB"},
            {39, "Channel Volume LSB"}, {40, "Balance LSB"}, {42, "Pan LSB"}, {43, "Expression LSB"},
            {44, "Effect 1 LSB"}, {45, "Effect 2 LSB"}, {48, "General 1 LSB"}, {49, "General 2 LSB"},
            {50, "General 3 LSB"}, {51, "General 4 LSB"}, {64, "Sustain Switch"}, {65, "Portamento Switch"},
            {66, "Sostenuto Switch"}, {67, "Soft Pedal"}, {68, "Legato Footswitch"}, {69, "Hold 2"},
            {70, "Sound Variation"}, {71, "Timbre"}, {72, "Release Time"}, {73, "Attack Time"}, {74, "Brightness"},
            {75, "Sound Control 6"}, {76, "Sound Control 7"}, {77, "Sound Control 8"}, {78, "Sound Control 9"},
            {79, "Sound Control 10"}, {80, "General 5"}, {81, "General 6"}, {82, "General 7"}, {83, "General 8"},
            {84, "Portamento Control"}, {91, "Reverb"}, {92, "Tremolo"}, {93, "Chorus"}, {94, "Variation"},
            {95, "Phaser"}, {96, "Data Entry +1"}, {97, "Data Entry -1"}, {98, "NRPN LSB"}, {99, "NRPN MSB"},
            {100, "RPN LSB"}, {101, "RPN MSB"}, {120, "All Sound off"}, {121, "Reset Controllers"},
            {122, "Local Control Switch"}, {123, "All Notes Off"}, {124, "Omni Mode Off"}, {125, "Omni Mode On"},
            {126, "Poly Mode Switch"}, {127, "Poly Mode On"},
        };
        for (const auto& [number, name] : defined) t[static_cast<std::size_t>(number)] = name;
        return t;
    }();
    return names;
}

std::string ItemText(int controller) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", controller & 0x7F);
    const char* name = Table()[static_cast<std::size_t>(controller & 0x7F)];
    return name ? std::string(digits) + " " + name : std::string(digits) + " Undefined";
}

std::vector<std::string> ControllerItems() {
    std::vector<std::string> items;
    for (int n = 0; n < 128; ++n) items.push_back(ItemText(n));
    return items;
}

std::vector<std::string> CodeItems() {
    std::vector<std::string> items{"(none)", "Pitch Wheel"};
    for (std::string& item : ControllerItems()) items.push_back(std::move(item));
    return items;
}

int IndexFromCode(int code) {
    const int index = code == ControllerCode::None ? 0 : code == ControllerCode::PitchBend ? 1 : code + 2;
    return index >= 130 ? 129 : index;
}

int CodeFromIndex(int index) {
    return index == 0 ? ControllerCode::None : index == 1 ? ControllerCode::PitchBend : index - 2;
}

std::vector<std::string> JoystickActions() {
    static const char* const axes[] = {"Joystick %d left/right", "Joystick %d up/down", "Joystick %d Z-layer"};
    std::vector<std::string> actions;
    char text[64];
    for (int b = 0; b <= 4; ++b)
        for (int j = 0; j <= 1; ++j)
            for (int a = 0; a <= 2; ++a) {
                std::snprintf(text, sizeof text, axes[a], j);
                std::string action = text;
                if (b > 0) action += " button " + std::to_string(b) + " pressed";
                actions.push_back(action);
            }
    return actions;
}

TJoystickSlot ActionSlot(int action) { return {(action / 3) % 2, action % 3, action / 6}; }

} // namespace ControllerNames

TShiftVelocity TShiftVelocity::FromFactor(float factor) {
    double f = factor == 0.0f ? 0.01 : factor;
    TShiftVelocity v;
    v.louder = f > 1.0;
    const double percent = (v.louder ? f - 1.0 : 1.0 - f) * 100.0;
    v.percent = static_cast<int>(std::nearbyint(percent)); // the default rounding mode: halves to even
    return v;
}

float TShiftVelocity::Factor() const {
    return static_cast<float>(louder ? 1.0 + percent / 100.0 : 1.0 - percent / 100.0);
}
