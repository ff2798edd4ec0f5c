#pragma once
// The keys the main window answers itself, ahead of the focused control, which
// gets them too: Ctrl+Space is Panic!, Page Up/Down steps the patch,
// Shift+Page Up/Down the program, Home/End the chord. A wheel turned over a
// list or field without the focus turns the window's wheel controller instead,
// and does not give it the focus.
#include <QObject>

#include <functional>

class QKeyEvent;
class QWheelEvent;
class QWidget;

class TWindowKeys : public QObject {
    Q_OBJECT
public:
    struct TActions {
        std::function<void()> panic;
        std::function<void(int delta)> stepPatch;
        std::function<void(int delta)> stepProgram;
        std::function<void(int delta)> stepChord;
        std::function<void(QWheelEvent*)> wheel;
    };
    // Watches every event of the application for those of the window.
    TWindowKeys(QWidget* window, TActions actions);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void KeyDown(const QKeyEvent& key);
    // Whether a wheel turned over this widget moves the window's wheel controller.
    bool WheelBelongsToWindow(QWidget* widget) const;

    QWidget* window_;
    TActions actions_;
};
