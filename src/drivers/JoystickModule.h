#pragma once
// The joysticks of the system through the SDL module, loaded by the first
// Start (a joystick enabled): until then no SDL library is mapped.
#include "instrument/JoystickDriver.h"

#include <memory>
#include <string>

class TJoystickModule : public JoystickDriver {
public:
    // False when the module does not load; the log says why.
    bool Start() override;
    bool Started() const override { return driver_ && driver_->Started(); }
    int Count() override { return driver_ ? driver_->Count() : 0; }
    bool Caps(int device, TJoystickCaps& caps) override { return driver_ && driver_->Caps(device, caps); }
    bool Position(int device, TJoystickPosition& position) override {
        return driver_ && driver_->Position(device, position);
    }

    // "SDL 2.26.5": the library's version once loaded, else the one built against.
    static std::string VersionText();

private:
    std::unique_ptr<JoystickDriver> driver_;
};

// What the module exports as TonecastCreateJoystickDriver and TonecastJoystickVersion.
using TJoystickFactory = JoystickDriver* (*)();
using TJoystickVersion = void (*)(std::string& text);
