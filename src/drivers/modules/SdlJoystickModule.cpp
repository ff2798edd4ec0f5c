// Joysticks over SDL 2: a module of its own, loaded when a joystick is first
// enabled, so that SDL is not mapped before.
#include "SdlJoystickDriver.h"

#include <SDL.h>

SdlJoystickDriver::~SdlJoystickDriver() {
    if (!started_) return;
    for (SDL_Joystick* j : open_)
        if (j) SDL_JoystickClose(j);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool SdlJoystickDriver::Start() {
    if (started_) return true;
    // Joysticks are read while another program has the focus too.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    started_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    return started_;
}

int SdlJoystickDriver::Count() {
    if (!started_) return 0;
    SDL_JoystickUpdate();
    return SDL_NumJoysticks();
}

void SdlJoystickDriver::Follow() {
    SDL_JoystickUpdate();
    for (SDL_Joystick*& j : open_)
        if (j && !SDL_JoystickGetAttached(j)) {
            SDL_JoystickClose(j);
            j = nullptr;
        }
    const auto held = [this](SDL_JoystickID id) {
        for (SDL_Joystick* j : open_)
            if (j && SDL_JoystickInstanceID(j) == id) return true;
        return false;
    };
    for (SDL_Joystick*& j : open_) {
        for (int index = 0; !j && index < SDL_NumJoysticks(); ++index)
            if (!held(SDL_JoystickGetDeviceInstanceID(index))) j = SDL_JoystickOpen(index);
    }
}

SDL_Joystick* SdlJoystickDriver::Open(int device) {
    if (!started_ || device < 0 || device > 1) return nullptr;
    Follow();
    return open_[static_cast<std::size_t>(device)];
}

bool SdlJoystickDriver::Caps(int device, TJoystickCaps& caps) {
    SDL_Joystick* j = Open(device);
    if (!j) return false;
    caps = TJoystickCaps{};
    const char* name = SDL_JoystickName(j);
    caps.productName = name ? name : "";
    char guid[33] = {};
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(j), guid, sizeof guid);
    caps.oemName = guid;
    caps.xMax = caps.yMax = caps.zMax = 65535;
    caps.buttonCount = SDL_JoystickNumButtons(j);
    caps.hasZ = SDL_JoystickNumAxes(j) >= 3;
    caps.periodMin = 10;
    caps.periodMax = 1000;
    return true;
}

bool SdlJoystickDriver::Position(int device, TJoystickPosition& position) {
    SDL_Joystick* j = Open(device);
    if (!j) return false;
    auto axis = [j](int a) { return a < SDL_JoystickNumAxes(j) ? SDL_JoystickGetAxis(j, a) + 32768 : 32768; };
    position.x = axis(0);
    position.y = axis(1);
    position.z = axis(2);
    position.buttons = 0;
    for (int b = 0; b < 4 && b < SDL_JoystickNumButtons(j); ++b)
        if (SDL_JoystickGetButton(j, b)) position.buttons |= 1u << b;
    return true;
}

std::string SdlJoystickDriver::VersionText() {
    SDL_version v;
    SDL_GetVersion(&v);
    return "SDL " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}

extern "C" __attribute__((visibility("default"))) JoystickDriver* TonecastCreateJoystickDriver() {
    return new SdlJoystickDriver;
}

extern "C" __attribute__((visibility("default"))) void TonecastJoystickVersion(std::string& text) {
    text = SdlJoystickDriver::VersionText();
}
