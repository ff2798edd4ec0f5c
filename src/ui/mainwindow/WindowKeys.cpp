#include "mainwindow/WindowKeys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

TWindowKeys::TWindowKeys(QWidget* window, TActions actions) : QObject(window), window_(window), actions_(std::move(actions)) {
    qApp->installEventFilter(this);
}

bool TWindowKeys::eventFilter(QObject* watched, QEvent* event) {
    // Qt gives a wheel-focus control the focus as a wheel reaches it, before
    // any filter sees the event: the wheel would never be the window's.
    if (event->type() == QEvent::Polish && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == window_ && widget->focusPolicy() == Qt::WheelFocus) widget->setFocusPolicy(Qt::StrongFocus);
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const QWidget* focus = QApplication::focusWidget();
        if (widget->window() == window_ && (widget == focus || (!focus && widget == window_)))
            KeyDown(*static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::Wheel && watched->isWidgetType() && WheelBelongsToWindow(static_cast<QWidget*>(watched))) {
        actions_.wheel(static_cast<QWheelEvent*>(event));
        return true;
    }
    return false;
}

bool TWindowKeys::WheelBelongsToWindow(QWidget* widget) const {
    if (widget->window() != window_) return false;
    // The outermost list or field the wheel is over: without the focus it
    // leaves the wheel to the window's controller; with it, it scrolls.
    QWidget* control = nullptr;
    for (QWidget* w = widget; w && w != window_; w = w->parentWidget())
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w)) control = w;
    if (!control) return false;
    const QWidget* focus = QApplication::focusWidget();
    return !(control == focus || (focus && control->isAncestorOf(focus)));
}

void TWindowKeys::KeyDown(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key.key()) {
    case Qt::Key_Space:
        if (mods == Qt::ControlModifier) actions_.panic();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int delta = key.key() == Qt::Key_PageUp ? -1 : 1;
        if (mods == Qt::NoModifier) actions_.stepPatch(delta);
        else if (mods == Qt::ShiftModifier) actions_.stepProgram(delta);
        break;
    }
    case Qt::Key_Home:
    case Qt::Key_End:
        if (mods == Qt::NoModifier) actions_.stepChord(key.key() == Qt::Key_Home ? -1 : 1);
        break;
    default: break;
    }
}
