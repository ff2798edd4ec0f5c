// The mouse wheel and the joysticks as controllers of the main window.
#include "mainwindow/MainWindow.h"

#include "widgets/ImageStripControl.h"
#include "widgets/Joystick.h"
#include "widgets/PianoKeyboard.h"

#include <QWheelEvent>

void TMainWindow::CreateJoysticks() {
    Joystick1 = new TJoystick(joystickDriver_, this);
    Joystick2 = new TJoystick(joystickDriver_, this);
    Joystick2->SetDevice(1);
    for (TJoystick* j : {Joystick1, Joystick2}) {
        j->SetPollFreq(30); // milliseconds between polls
        j->OnXYMove = [this](TJoystick* sender, int x, int y, unsigned buttons) { JoystickXYMove(sender, x, y, buttons); };
        j->OnZMove = [this](TJoystick* sender, int z, unsigned buttons) { JoystickZMove(sender, z, buttons); };
    }
}

void TMainWindow::SetMouseWheelController(int code) {
    if (code == mouseWheelController_) return;
    mouseWheelController_ = code;
    if (code == modulationController_) mouseWheelValue_ = ICMW->Position();
    else if (code == ControllerCode::PitchBend) mouseWheelValue_ = ICPitch->Position();
    else mouseWheelValue_ = 0;
}

void TMainWindow::wheelEvent(QWheelEvent* event) {
    const auto message =
        MouseWheel::Step(mouseWheelController_, event->angleDelta().y(), event->modifiers() & Qt::ShiftModifier,
                         MouseWheelSensitivity, ICPitch->Position(), mouseWheelValue_, Keyboard1->Channel());
    if (!message) {
        event->ignore(); // not ours: the system's default handling
        return;
    }
    instrument_.Play(*message);
    event->accept();
}

void TMainWindow::ApplyJoystickSetup() {
    Joystick1->SetEnabled(joystickTable_.Maps(0));
    Joystick2->SetEnabled(joystickTable_.Maps(1));
}

namespace {
TAxisRanges RangesOf(const TJoystick& j) { return {j.XMin(), j.XMax(), j.YMin(), j.YMax(), j.ZMin(), j.ZMax()}; }
} // namespace

void TMainWindow::JoystickXYMove(TJoystick* sender, int x, int y, unsigned buttons) {
    for (const TShortMessage& m :
         joystickMapper_.XYMove(joystickTable_, sender->Device(), RangesOf(*sender), x, y, buttons, Keyboard1->Channel()))
        instrument_.Play(m);
}

void TMainWindow::JoystickZMove(TJoystick* sender, int z, unsigned buttons) {
    for (const TShortMessage& m :
         joystickMapper_.ZMove(joystickTable_, sender->Device(), RangesOf(*sender), z, buttons, Keyboard1->Channel()))
        instrument_.Play(m);
}
