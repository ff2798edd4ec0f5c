#include "widgets/LongWork.h"

#include <QApplication>

namespace {

constexpr auto ShownAfter = std::chrono::milliseconds(500);
constexpr auto DrawEvery = std::chrono::milliseconds(50);

} // namespace

TLongWork::TLongWork() = default;

TLongWork::~TLongWork() {
    if (busy_) QApplication::restoreOverrideCursor();
}

void TLongWork::Tick() {
    const auto now = Clock::now();
    if (now - start_ < ShownAfter || now - drawn_ < DrawEvery) return;
    if (!busy_) QApplication::setOverrideCursor(Qt::BusyCursor);
    busy_ = true;
    drawn_ = now;
    // Drawing and the system's own events only: no click or key starts other work meanwhile.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
