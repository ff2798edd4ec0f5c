// The main window's own keys and the mouse wheel as a controller.
#include "mainwindow/MainWindow.h"

#include "mainwindow/ProgramPanel.h"
#include "patches/PatchCombo.h"
#include "widgets/ImageStripControl.h"
#include "widgets/PianoKeyboard.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QWheelEvent>

void TMainWindow::SetMouseWheelController(int code) {
    const int start = code == modulationController_ ? ICMW->Position() : code == ControllerCode::PitchBend ? ICPitch->Position() : 0;
    instrument_.SetMouseWheelController(code, start);
}

void TMainWindow::wheelEvent(QWheelEvent* event) {
    if (instrument_.WheelTurned(event->angleDelta().y(), event->modifiers() & Qt::ShiftModifier, ICPitch->Position(),
                                Keyboard1->Channel()))
        event->accept();
    else
        event->ignore(); // not ours: the system's default handling
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
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
