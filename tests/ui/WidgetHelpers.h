#pragma once
// Real Qt input events sent to a widget, with the buttons and modifiers a
// user's hand would give them.
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWidget>

#include <vector>

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, modifiers);
    QApplication::sendEvent(w, &event);
}

inline void Press(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier, Qt::MouseButtons others = Qt::NoButton) {
    SendMouse(w, QEvent::MouseButtonPress, pos, button, others | button, modifiers);
}

inline void Move(QWidget* w, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, buttons, modifiers);
}

inline void Release(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier, Qt::MouseButtons others = Qt::NoButton) {
    SendMouse(w, QEvent::MouseButtonRelease, pos, button, others, modifiers);
}

// Records the rectangles of the paint events a widget receives.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* w) { w->installEventFilter(this); }
    std::vector<QRect> rects;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) rects.push_back(static_cast<QPaintEvent*>(e)->rect());
        return false;
    }
};
