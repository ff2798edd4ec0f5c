#include "widgets/ElidingLabel.h"

#include <QMouseEvent>

void TElidingLabel::SetFullText(const QString& text, const QString& drawn) {
    full_ = text;
    drawn_ = drawn.isEmpty() ? text : drawn;
    setAccessibleName(text); // a screen reader reads it whole
    Elide();
}

void TElidingLabel::SetClickAction(std::function<void()> action) {
    click_ = std::move(action);
    if (click_) setCursor(Qt::PointingHandCursor);
    else unsetCursor();
}

void TElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void TElidingLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && click_) {
        const auto action = click_; // the action may set another text and action
        action();
    }
}

void TElidingLabel::Elide() {
    const int room = contentsRect().width() - 2 * margin() - indent();
    const QString shown = fontMetrics().elidedText(drawn_, Qt::ElideMiddle, std::max(room, 0));
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}
