#pragma once
// Scripted joysticks for tests: capabilities and positions set by the test.
#include "instrument/JoystickDriver.h"

#include <array>
#include <optional>

class FakeJoystickDriver : public JoystickDriver {
public:
    std::array<std::optional<TJoystickCaps>, 2> caps;
    std::array<TJoystickPosition, 2> positions{};
    int starts = 0;

    bool Start() override {
        ++starts;
        started_ = true;
        return true;
    }
    bool Started() const override { return started_; }
    int Count() override { return 16; }
    bool Caps(int device, TJoystickCaps& c) override {
        if (!started_ || device < 0 || device > 1 || !caps[static_cast<std::size_t>(device)]) return false;
        c = *caps[static_cast<std::size_t>(device)];
        return true;
    }
    bool Position(int device, TJoystickPosition& p) override {
        if (!started_ || device < 0 || device > 1 || !caps[static_cast<std::size_t>(device)]) return false;
        p = positions[static_cast<std::size_t>(device)];
        return true;
    }

private:
    bool started_ = false;
};
