#pragma once
// Joysticks through SDL 2: device 0 and 1 are the first and second joystick
// SDL reports. Each device keeps its stick (followed by SDL's instance id,
// never by its index of the moment) while that stick stays plugged in; a
// device whose stick is gone takes the next stick plugged in.
#include "instrument/JoystickDriver.h"

#include <array>
#include <string>

struct _SDL_Joystick;

class SdlJoystickDriver : public JoystickDriver {
public:
    // "SDL 2.26.5": the library's version, for the About box.
    static std::string VersionText();
    ~SdlJoystickDriver() override;
    bool Start() override;
    bool Started() const override { return started_; }
    int Count() override;
    bool Caps(int device, TJoystickCaps& caps) override;
    bool Position(int device, TJoystickPosition& position) override;

private:
    // Lets go of sticks that were unplugged and gives free devices the sticks no device holds.
    void Follow();
    _SDL_Joystick* Open(int device);

    bool started_ = false;
    std::array<_SDL_Joystick*, 2> open_{};
};
