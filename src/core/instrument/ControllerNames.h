#pragma once
// The program-wide names of MIDI controllers and the lists the settings
// dialog offers: controller codes (0..127 a controller, 128 the pitch wheel,
// 129 none) and the joystick actions.
#include <array>
#include <string>
#include <vector>

namespace ControllerNames {

// Index = controller number; null where the number is undefined.
const std::array<const char*, 128>& Table();

// "007 Channel Volume", "003 Undefined".
std::string ItemText(int controller);

// The 128 controller items, by number.
std::vector<std::string> ControllerItems();
// "(none)", "Pitch Wheel", then the 128 controller items: 130 in all.
std::vector<std::string> CodeItems();
int IndexFromCode(int code);
int CodeFromIndex(int index);

// The 30 joystick actions: for each button state (none, then 1..4), each
// joystick, each axis, "Joystick 0 left/right" ... "Joystick 1 Z-layer button 4 pressed".
std::vector<std::string> JoystickActions();
struct TJoystickSlot {
    int joystick, axis, slot;
};
TJoystickSlot ActionSlot(int action);

} // namespace ControllerNames

// The settings dialog's view of the Shift velocity factor: louder or quieter
// by a percentage.
struct TShiftVelocity {
    bool louder = false;
    int percent = 0;
    // A factor of 0 shows as 0.01; percentages round half to even.
    static TShiftVelocity FromFactor(float factor);
    float Factor() const; // 1 + p/100 louder, 1 - p/100 quieter
};
