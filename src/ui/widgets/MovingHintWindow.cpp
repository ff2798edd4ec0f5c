#include "widgets/MovingHintWindow.h"

#include <QApplication>
#include <QPalette>
#include <QToolTip>

TMovingHint::TMovingHint() : QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setPalette(QToolTip::palette());
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    setMargin(2);
    setWordWrap(true);
}

void TMovingHint::SetShowing(bool value) {
    if (value == IsShowing()) return;
    if (value) ShowHint();
    else hide();
}

void TMovingHint::ShowAt(QWidget* control, const QString& text) {
    const QPoint p = control->mapToGlobal(QPoint(control->width(), 0));
    const QPoint at(p.x() + 2, p.y());
    if (at == position_ && text == hintText_ && IsShowing()) return;
    position_ = at;
    hintText_ = text;
    ShowHint();
}

void TMovingHint::ShowHint() {
    setText(hintText_);
    setMaximumWidth(MaxWidth);
    adjustSize();
    move(position_);
    show();
}
