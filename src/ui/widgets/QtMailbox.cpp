#include "widgets/QtMailbox.h"

#include <QSocketNotifier>

#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

TQtMailbox::TQtMailbox() {
    fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("Out of memory.");
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] {
        std::uint64_t count;
        [[maybe_unused]] ssize_t n = ::read(fd_, &count, sizeof count);
        Deliver();
    });
}

TQtMailbox::~TQtMailbox() {
    delete notifier_;
    ::close(fd_);
}

void TQtMailbox::Wake() noexcept {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
}

TMailboxFactory QtMailboxes() {
    return [] { return std::make_unique<TQtMailbox>(); };
}
