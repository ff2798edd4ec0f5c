// Work on the GUI thread that takes a while shows it and keeps the windows drawn.
#include "widgets/LongWork.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// Counts the events a widget receives.
class Watched : public QWidget {
public:
    int paints = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::UpdateRequest || e->type() == QEvent::Paint) ++paints;
        return QWidget::event(e);
    }
};

void Work(TLongWork& work, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        work.Tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Work of the given milliseconds: shown and drawn meanwhile only past half a second.
class LongWorkTest : public ::testing::TestWithParam<int> {};

TEST_P(LongWorkTest, ShowsABusyCursorAndDrawsOnlyPastHalfASecond) {
    const bool long_ = GetParam() > 500;
    Watched window;
    window.show();
    QApplication::processEvents();
    window.paints = 0;
    {
        TLongWork work;
        window.update();
        Work(work, GetParam());
        const QCursor* cursor = QApplication::overrideCursor();
        EXPECT_EQ(cursor && cursor->shape() == Qt::BusyCursor, long_);
        EXPECT_EQ(window.paints > 0, long_) << "drawn: " << window.paints;
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Durations, LongWorkTest, ::testing::Values(200, 700),
                         [](const auto& info) { return std::to_string(info.param) + "ms"; });

} // namespace
