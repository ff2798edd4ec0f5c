#include "widgets/Joystick.h"

#include <algorithm>

TJoystick::TJoystick(JoystickDriver& driver, QObject* parent) : QObject(parent), driver_(driver) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TJoystick::Poll);
}

TJoystick::~TJoystick() { Stop(); }

void TJoystick::SetDevice(int device) {
    if (device != 0 && device != 1) return;
    const bool wasOn = enabled_;
    Stop();
    device_ = device;
    if (ReadCaps() && wasOn) Start();
}

bool TJoystick::ReadCaps() {
    caps_ = TJoystickCaps{};
    if (!driver_.Started() || !driver_.Caps(device_, caps_)) {
        caps_ = TJoystickCaps{};
        return false;
    }
    return true;
}

bool TJoystick::Attached() const {
    TJoystickPosition p;
    return driver_.Started() && driver_.Position(device_, p);
}

void TJoystick::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    if (enabled) Start();
    else Stop();
}

void TJoystick::Start() {
    Stop();
    // The system's joystick service starts with the first joystick that is enabled.
    if (!driver_.Started() && !driver_.Start()) return;
    ReadCaps();
    if (!Attached() || caps_.periodMin <= 0) return;
    const int period = std::clamp(pollFreq_, caps_.periodMin, std::max(caps_.periodMin, caps_.periodMax));
    havePosition_ = false;
    timer_.start(period);
    enabled_ = true;
}

void TJoystick::ReturnToRest() {
    havePosition_ = false;
    const TJoystickPosition rest{caps_.xMin + (caps_.xMax - caps_.xMin + 1) / 2,
                                 caps_.yMin + (caps_.yMax - caps_.yMin + 1) / 2,
                                 caps_.zMin + (caps_.zMax - caps_.zMin + 1) / 2, 0};
    for (int b = 0; b < 4; ++b)
        if ((last_.buttons & (1u << b)) && OnButtonUp) OnButtonUp(this, b);
    if ((last_.x != rest.x || last_.y != rest.y || last_.buttons != 0) && OnXYMove) OnXYMove(this, rest.x, rest.y, 0);
    if (last_.z != rest.z && OnZMove) OnZMove(this, rest.z, 0);
    last_ = rest;
}

void TJoystick::Stop() {
    timer_.stop();
    enabled_ = false;
}

void TJoystick::Poll() {
    TJoystickPosition now;
    if (!driver_.Position(device_, now)) {
        // Unplugged: what it moved goes back to rest, then quiet until it returns.
        if (havePosition_) ReturnToRest();
        return;
    }
    // The first poll only sets where changes count from: a joystick at rest sends nothing.
    const TJoystickPosition before = havePosition_ ? last_ : now;
    havePosition_ = true;
    last_ = now;
    const unsigned pressed = now.buttons & ~before.buttons & 0xF;
    const unsigned released = before.buttons & ~now.buttons & 0xF;
    bool reported = false;
    for (auto [changed, event] : {std::pair{pressed, &OnButtonDown}, std::pair{released, &OnButtonUp}}) {
        if (!changed) continue;
        for (int b = 0; b < 4; ++b)
            if ((changed & (1u << b)) && *event) (*event)(this, b);
        if (OnXYMove) OnXYMove(this, now.x, now.y, now.buttons & 0xF);
        reported = true;
    }
    if (!reported && (now.x != before.x || now.y != before.y) && OnXYMove)
        OnXYMove(this, now.x, now.y, now.buttons & 0xF);
    if (now.z != before.z && OnZMove) OnZMove(this, now.z, now.buttons & 0xF);
}
