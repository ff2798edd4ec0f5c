#pragma once
// The windowing system's services as the rest of the program needs them:
// message boxes, the work area, the colour depth and termination signals.
#include <QRect>
#include <QtGlobal>
#include <QString>

#include <functional>

class QPainter;
class QWidget;

// A message box with the application's name as its caption.
void ShowMessageBox(QWidget* parent, const QString& text);

// The desktop area not covered by task bars on the window's screen; the
// primary screen's rectangle when the system gives none.
QRect WorkArea(const QWidget* window);

// The colour depth of the primary screen in bits per pixel.
int ScreenDepth();

// Runs the handler on the GUI thread when SIGTERM or SIGINT arrives.
void OnTerminationSignal(std::function<void()> handler);

// Asks the X server to send a held key as presses only, instead of the
// release and press pairs that Qt can take for a real release when the press
// is not yet queued. Does nothing on other platforms.
void UseDetectableAutoRepeat();

// The device pixel ratio of what a painter really paints on: the screen's
// backing store, or the image a widget is rendered into.
qreal PaintedPixelRatio(QPainter& painter);
