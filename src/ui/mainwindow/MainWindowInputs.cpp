// The main window's own keys, the mouse wheel and the joysticks as controllers.
#include "mainwindow/MainWindow.h"

#include "mainwindow/ProgramPanel.h"
#include "patches/PatchCombo.h"
#include "widgets/ImageStripControl.h"
#include "widgets/Joystick.h"
#include "widgets/PianoKeyboard.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
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

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::Paint) {
        PaintBackground(static_cast<QPaintEvent*>(event)->rect());
        return false; // the form paints nothing of its own over it
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const QWidget* focus = QApplication::focusWidget();
        if (widget->window() == this && (widget == focus || (!focus && widget == this)))
            FormKeyDown(*static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::Wheel && watched->isWidgetType() && WheelBelongsToWindow(static_cast<QWidget*>(watched))) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return TInstrumentForm::eventFilter(watched, event);
}

bool TMainWindow::WheelBelongsToWindow(QWidget* widget) const {
    if (widget->window() != this) return false;
    // The outermost list or field the wheel is over: without the focus it
    // leaves the wheel to the window's controller; with it, it scrolls.
    QWidget* control = nullptr;
    for (QWidget* w = widget; w && w != this; w = w->parentWidget())
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w)) control = w;
    if (!control) return false;
    const QWidget* focus = QApplication::focusWidget();
    return !(control == focus || (focus && control->isAncestorOf(focus)));
}

void TMainWindow::FormKeyDown(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key.key()) {
    case Qt::Key_Space:
        if (mods == Qt::ControlModifier) programPanel_->Panic();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int delta = key.key() == Qt::Key_PageUp ? -1 : 1;
        if (mods == Qt::NoModifier) programPanel_->StepPatch(delta);
        else if (mods == Qt::ShiftModifier) programPanel_->StepProgram(delta);
        break;
    }
    case Qt::Key_Home:
    case Qt::Key_End:
        if (mods == Qt::NoModifier) {
            const int index = PatchCombo::Wrap(CBChord->currentIndex(), key.key() == Qt::Key_Home ? -1 : 1, CBChord->count());
            CBChord->setCurrentIndex(index);
            CBChordClick(index);
        }
        break;
    default: break;
    }
}
