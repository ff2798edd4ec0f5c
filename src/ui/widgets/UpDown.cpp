#include "widgets/UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(b);
        connect(b, &QToolButton::pressed, this, [this] { held_.start(); });
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    SetPosition(position_);
}

void TUpDown::SetPosition(int position) { position_ = std::clamp(position, min_, max_); }

int TUpDown::AcceleratedStep(qint64 heldMs) { return heldMs >= 5000 ? 10 : heldMs >= 2000 ? 5 : 1; }

void TUpDown::Step(int delta) {
    if (Accelerated && held_.isValid()) delta *= AcceleratedStep(held_.elapsed());
    const int next = position_ + delta;
    if (Wrap && next > max_) position_ = min_;
    else if (Wrap && next < min_) position_ = max_;
    else SetPosition(next);
    if (OnClick) OnClick(this, delta > 0);
}

void TUpDown::SetAccessibleNames(const QString& field) {
    setAccessibleName(field);
    up_->setAccessibleName(field + " up");
    down_->setAccessibleName(field + " down");
}
