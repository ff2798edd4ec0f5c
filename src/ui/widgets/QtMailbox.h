#pragma once
// A mailbox on Linux: posts write to an eventfd that a
// QSocketNotifier watches, so the GUI thread delivers them from its loop.
#include "midi/GuiMailbox.h"

class QSocketNotifier;

class TQtMailbox : public TGuiMailbox {
public:
    TQtMailbox();
    ~TQtMailbox() override;

protected:
    void Wake() noexcept override;

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

// Mailboxes woken through the Qt event loop.
TMailboxFactory QtMailboxes();
