#include "JoystickModule.h"

#include "ModuleLoader.h"

#include <SDL_version.h>

#include <cstdio>

namespace {
constexpr const char* Module = "tonecast-joystick";
}

bool TJoystickModule::Start() {
    if (!driver_) {
        std::string error;
        const auto create = LoadModuleFunction<TJoystickFactory>(Module, "TonecastCreateJoystickDriver", error);
        if (!create) {
            // As if no joystick were attached.
            std::fprintf(stderr, "Fendrel's Tonecast: no joysticks: %s\n", error.c_str());
            return false;
        }
        driver_.reset(create());
    }
    return driver_->Start();
}

std::string TJoystickModule::VersionText() {
    std::string text, error;
    if (ModuleLoaded(Module)) {
        if (const auto version = LoadModuleFunction<TJoystickVersion>(Module, "TonecastJoystickVersion", error)) {
            version(text);
            return text;
        }
    }
    SDL_version v;
    SDL_VERSION(&v);
    return "SDL " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}
