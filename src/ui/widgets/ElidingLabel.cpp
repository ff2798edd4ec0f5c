#include "widgets/ElidingLabel.h"

void TElidingLabel::SetFullText(const QString& text) {
    full_ = text;
    setAccessibleName(text); // a screen reader reads it whole
    Elide();
}

void TElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void TElidingLabel::Elide() {
    const int room = contentsRect().width() - 2 * margin() - indent();
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideMiddle, std::max(room, 0));
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}
