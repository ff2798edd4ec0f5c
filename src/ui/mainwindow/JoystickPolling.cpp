#include "mainwindow/JoystickPolling.h"

#include "widgets/Joystick.h"

namespace {
TAxisRanges RangesOf(const TJoystick& j) { return {j.XMin(), j.XMax(), j.YMin(), j.YMax(), j.ZMin(), j.ZMax()}; }
} // namespace

TJoystickPolling::TJoystickPolling(QObject* parent, JoystickDriver* driver, TInstrument& instrument,
                                   std::function<int()> channel)
    : QObject(parent), instrument_(instrument) {
    JoystickDriver& joysticks = driver ? *driver : noJoysticks_;
    firstJoystick = new TJoystick(joysticks, this);
    secondJoystick = new TJoystick(joysticks, this);
    secondJoystick->SetDevice(1);
    for (TJoystick* j : {firstJoystick, secondJoystick}) {
        j->SetPollFreq(30); // milliseconds between polls
        j->OnXYMove = [this, channel](TJoystick* sender, int x, int y, unsigned buttons) {
            instrument_.JoystickXYMove(sender->Device(), RangesOf(*sender), x, y, buttons, channel());
        };
        j->OnZMove = [this, channel](TJoystick* sender, int z, unsigned buttons) {
            instrument_.JoystickZMove(sender->Device(), RangesOf(*sender), z, buttons, channel());
        };
    }
}

void TJoystickPolling::Apply() {
    firstJoystick->SetEnabled(instrument_.JoystickTable().Maps(0));
    secondJoystick->SetEnabled(instrument_.JoystickTable().Maps(1));
}
