#include "widgets/QtMessageWindow.h"

#include <QSocketNotifier>

#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

TQtMessageWindow::TQtMessageWindow() {
    fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("Out of memory.");
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] {
        std::uint64_t count;
        [[maybe_unused]] ssize_t n = ::read(fd_, &count, sizeof count);
        Deliver();
    });
}

TQtMessageWindow::~TQtMessageWindow() {
    delete notifier_;
    ::close(fd_);
}

void TQtMessageWindow::Wake() noexcept {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
}

TMessageWindowFactory QtMessageWindows() {
    return [] { return std::make_unique<TQtMessageWindow>(); };
}
