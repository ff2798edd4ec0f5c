#pragma once
// Joysticks through SDL 2: device 0 and 1 are the first and second joystick
// SDL reports, opened when first asked for and again after they come back.
#include "platform/JoystickDriver.h"

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
    _SDL_Joystick* Open(int device);

    bool started_ = false;
    std::array<_SDL_Joystick*, 2> open_{};
};
