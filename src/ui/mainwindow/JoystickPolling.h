#pragma once
// Two joysticks as controllers: device 0 and 1, each polled exactly while its
// half of the instrument's joystick table maps something, their moves played
// on the keyboard's channel.
#include "instrument/Instrument.h"
#include "instrument/JoystickDriver.h"

#include <QObject>

#include <functional>

class TJoystick;

class TJoystickPolling : public QObject {
    Q_OBJECT
public:
    // Without a joystick service there are no joysticks to poll.
    TJoystickPolling(QObject* parent, JoystickDriver* driver, TInstrument& instrument, std::function<int()> channel);

    TJoystick* firstJoystick; // device 0
    TJoystick* secondJoystick; // device 1
    // Each joystick watched exactly while its half of the table maps something.
    void Apply();

private:
    NoJoystickDriver noJoysticks_;
    TInstrument& instrument_;
};
