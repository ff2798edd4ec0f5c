#pragma once
// The hidden window of a port on Linux: posts write to an eventfd that a
// QSocketNotifier watches, so the GUI thread delivers them from its loop.
#include "midi/MessageWindow.h"

class QSocketNotifier;

class TQtMessageWindow : public TMessageWindow {
public:
    TQtMessageWindow();
    ~TQtMessageWindow() override;

protected:
    void Wake() noexcept override;

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

// Makes every port's window a TQtMessageWindow.
// Windows woken through the Qt event loop.
TMessageWindowFactory QtMessageWindows();
