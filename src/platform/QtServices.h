#pragma once
// The windowing system's services as the rest of the program needs them:
// message boxes, the work area, the colour depth and termination signals.
#include <QRect>
#include <QtGlobal>
#include <QString>

#include <functional>

class QPainter;
class QWidget;

// A message box with the program's caption. Tests divert the texts to a sink.
void ShowMessage(QWidget* parent, const QString& text);
void SetMessageSink(std::function<void(const QString&)> sink);

// The desktop area not covered by task bars on the window's screen; the
// primary screen's rectangle when the system gives none.
QRect WorkArea(const QWidget* window);

// The program-wide colour depth in bits per pixel: the primary screen's, or
// the depth recorded when the display changed (0 reads the screen again).
int ScreenDepth();
void SetScreenDepth(int depth);

// Runs the handler on the GUI thread when SIGTERM or SIGINT arrives.
void OnTerminationSignal(std::function<void()> handler);

// Asks the X server to send a held key as presses only, instead of the
// release and press pairs that Qt can take for a real release when the press
// is not yet queued. Does nothing on other platforms.
void UseDetectableAutoRepeat();

// The device pixel ratio of what a painter really paints on: the screen's
// backing store, or the image a widget is rendered into.
qreal PaintedPixelRatio(QPainter& painter);
