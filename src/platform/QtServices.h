#pragma once
// The windowing system's services as the rest of the program needs them:
// message boxes, the work area, the colour depth and termination signals.
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

// A message box with the program's caption. Tests divert the texts to a sink.
void ShowMessage(QWidget* parent, const QString& text);
void SetMessageSink(std::function<void(const QString&)> sink);

// The desktop area not covered by task bars on the window's screen; the
// primary screen's rectangle when the system gives none.
QRect WorkArea(const QWidget* window);

// Bits per pixel of the primary screen, or the depth a test set in its place.
int ScreenDepth();
void SetScreenDepthOverride(int depth); // 0 ends the override

// Runs the handler on the GUI thread when SIGTERM or SIGINT arrives.
void OnTerminationSignal(std::function<void()> handler);
