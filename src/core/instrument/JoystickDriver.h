#pragma once
// The system's game controllers as the joystick component reaches them:
// device 0 and 1 are the first and second joystick the system reports.
// Positions run 0..65535 on every axis.
#include <string>

struct TJoystickCaps {
    std::string productName;
    std::string oemName;
    int xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
    int buttonCount = 0;
    bool hasZ = false;
    int periodMin = 0, periodMax = 0; // milliseconds
};

struct TJoystickPosition {
    int x = 0, y = 0, z = 0;
    unsigned buttons = 0; // bit k: button k + 1 is held (the first four only)
    bool operator==(const TJoystickPosition&) const = default;
};

class JoystickDriver {
public:
    virtual ~JoystickDriver() = default;
    // Starts the system's joystick service; nothing is asked of the system before.
    virtual bool Start() = 0;
    virtual bool Started() const = 0;
    virtual int Count() = 0;
    virtual bool Caps(int device, TJoystickCaps& caps) = 0;
    // False when no joystick is attached as that device.
    virtual bool Position(int device, TJoystickPosition& position) = 0;
};

// No joysticks at all: for windows made without a joystick service.
class NoJoystickDriver : public JoystickDriver {
public:
    bool Start() override { return false; }
    bool Started() const override { return false; }
    int Count() override { return 0; }
    bool Caps(int, TJoystickCaps&) override { return false; }
    bool Position(int, TJoystickPosition&) override { return false; }
};
