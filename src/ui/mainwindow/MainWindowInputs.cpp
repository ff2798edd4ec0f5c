// The main window's own keys and the mouse wheel as a controller.
#include "mainwindow/MainWindow.h"

#include "patches/PatchCombo.h"
#include "widgets/ImageStripControl.h"
#include "widgets/PianoKeyboard.h"

#include <QComboBox>
#include <QWheelEvent>

TWindowKeys::TActions TMainWindow::KeyActions() {
    TWindowKeys::TActions a;
    a.panic = [this] { programPanel_->Panic(); };
    a.stepPatch = [this](int delta) { programPanel_->StepPatch(delta); };
    a.stepProgram = [this](int delta) { programPanel_->StepProgram(delta); };
    a.stepChord = [this](int delta) {
        const int index = PatchCombo::Wrap(chordBox->currentIndex(), delta, chordBox->count());
        chordBox->setCurrentIndex(index);
        ChordBoxClick(index);
    };
    a.wheel = [this](QWheelEvent* event) { wheelEvent(event); };
    return a;
}

void TMainWindow::SetMouseWheelController(int code) {
    const int start = code == modulationController_ ? modulationWheel->Position() : code == ControllerCode::PitchBend ? pitchWheel->Position() : 0;
    instrument_.SetMouseWheelController(code, start);
}

void TMainWindow::wheelEvent(QWheelEvent* event) {
    if (instrument_.WheelTurned(event->angleDelta().y(), event->modifiers() & Qt::ShiftModifier, pitchWheel->Position(),
                                keyboard->State().Channel()))
        event->accept();
    else
        event->ignore(); // not ours: the system's default handling
}
