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

TEST(LongWorkTest, ShortWorkShowsNothing) {
    Watched window;
    window.show();
    QApplication::processEvents();
    window.paints = 0;
    TLongWork work;
    window.update();
    Work(work, 200);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window.paints, 0) << "drawn within the first half second";
}

TEST(LongWorkTest, LongWorkShowsABusyCursorAndDraws) {
    Watched window;
    window.show();
    QApplication::processEvents();
    window.paints = 0;
    {
        TLongWork work;
        window.update();
        Work(work, 700);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        EXPECT_GT(window.paints, 0) << "not drawn during the work";
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
