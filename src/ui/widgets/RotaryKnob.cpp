#include "widgets/RotaryKnob.h"

#include "widgets/AccessibleControls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include <cmath>
#include <numbers>

namespace {
QRect Box(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); }
} // namespace

TRotaryKnob::TRotaryKnob(QWidget* parent) : TTransparentWidget(parent), hint_(std::make_unique<TMovingHint>()) {
    const QPalette& pal = QApplication::palette();
    wheelColor_ = pal.color(QPalette::Button);
    focusColor_ = pal.color(QPalette::Highlight);
    setFocusPolicy(Qt::StrongFocus);
    InstallAccessibleControls();
    model_.OnMoved = [this](int old) {
        Changed();
        TellValueChanged(this, Position());
        // Only the pointer's old and new places are painted again.
        const QRectF r = QRectF(PointerLine(old).p1(), PointerLine(old).p2()).normalized() |
                         QRectF(PointerLine(Position()).p1(), PointerLine(Position()).p2()).normalized();
        update(r.toAlignedRect().adjusted(-ScaleWidth - 1, -ScaleWidth - 1, ScaleWidth + 1, ScaleWidth + 1));
    };
    model_.OnPosChange = [this] {
        if (OnPosChange) OnPosChange(this);
    };
    SetBounds(0, 0, 47, 47);
}

void TRotaryKnob::Look() {
    Changed();
    update();
}

void TRotaryKnob::SetPositionMin(int value) {
    if (model_.SetMin(value)) Look();
}
void TRotaryKnob::SetPositionMax(int value) {
    if (model_.SetMax(value)) Look();
}
void TRotaryKnob::SetPositionStep(int value) {
    model_.SetStep(value);
    Look();
}
void TRotaryKnob::SetBalance(bool value) {
    model_.SetBalance(value);
    Look();
}

void TRotaryKnob::SetScaleDegrees(int value) {
    if (value == scaleDegrees_ || value < 1 || value > 360) return;
    scaleDegrees_ = value;
    Look();
}

void TRotaryKnob::SetScaleTicks(int value) {
    if (value == scaleTicks_ || value < 2) return;
    scaleTicks_ = value;
    Look();
}

void TRotaryKnob::SetScaleLength(int value) {
    if (value == scaleLength_ || value <= 0) return;
    const int f = WheelGeometry::FrameAllowance(wheelFrame_);
    const int limit = DiscSize() - f - pointerDistance_ - static_cast<int>(std::nearbyint(1.5 * ScaleWidth));
    scaleLength_ = std::min(value, limit);
    Changed();
    if (scale_) update();
}

void TRotaryKnob::SetPointerDistance(int value) {
    const int f = WheelGeometry::FrameAllowance(wheelFrame_);
    const int s = DiscSize();
    const int limit = scale_ ? s - f - static_cast<int>(std::nearbyint(1.5 * ScaleWidth + scaleLength_))
                             : s - f - static_cast<int>(std::nearbyint(0.5 * ScaleWidth));
    value = std::clamp(std::min(value, limit), 0, 255);
    if (value == pointerDistance_) return;
    pointerDistance_ = value;
    Look();
}

void TRotaryKnob::ReapplyPointerDistance() {
    const int current = pointerDistance_;
    pointerDistance_ = -1; // force the rule to run on the same value
    SetPointerDistance(current);
}

void TRotaryKnob::SetScale(bool value) {
    if (value == scale_) return;
    scale_ = value;
    ReapplyPointerDistance();
    Look();
}

void TRotaryKnob::SetWheelFrame(TKnobFrame value) {
    if (value == wheelFrame_) return;
    wheelFrame_ = value;
    ReapplyPointerDistance();
    Look();
}

void TRotaryKnob::SetForceSquare(bool value) {
    if (value == forceSquare_) return;
    forceSquare_ = value;
    SetBounds(x(), y(), width(), height());
}

void TRotaryKnob::SetFocusAction(TFocusAction value) {
    if (value == focusAction_) return;
    focusAction_ = value;
    Look();
}
void TRotaryKnob::SetScaleColor(const QColor& c) {
    if (c == scaleColor_) return;
    scaleColor_ = c;
    Look();
}
void TRotaryKnob::SetWheelColor(const QColor& c) {
    if (c == wheelColor_) return;
    wheelColor_ = c;
    Look();
}
void TRotaryKnob::SetFocusColor(const QColor& c) {
    if (c == focusColor_) return;
    focusColor_ = c;
    Look();
}

void TRotaryKnob::SetBounds(int left, int top, int w, int h) {
    WheelGeometry::Bounds(width(), height(), w, h, forceSquare_);
    setGeometry(left, top, w, h);
}

QLineF TRotaryKnob::PointerLine(int position) const {
    const int cx = width() / 2, cy = height() / 2;
    const int inset = scaleLength_ + pointerDistance_ + 3 + ScaleWidth / 2;
    const double range = static_cast<double>(model_.Max()) - model_.Min();
    const double percent = range > 0 ? 100.0 * (position - model_.Min()) / range : 0.0;
    const double a = WheelGeometry::ScaleAngle(percent, scaleDegrees_) * std::numbers::pi / 180.0;
    return QLineF(cx, cy, cx + std::trunc(std::cos(a) * (cx - inset)), cy + std::trunc(std::sin(a) * (cy - inset)));
}

QColor TRotaryKnob::DiscColor() const {
    if (!isEnabled()) return palette().color(QPalette::Disabled, QPalette::WindowText);
    if ((focusAction_ == TFocusAction::FocusColor || focusAction_ == TFocusAction::Both) && hasFocus())
        return focusColor_;
    return wheelColor_;
}

void TRotaryKnob::DrawScale(QPainter& p) {
    const int cx = width() / 2, cy = height() / 2;
    p.setPen(QPen(scaleColor_, ScaleWidth));
    auto tick = [&](double percent) {
        const double a = WheelGeometry::ScaleAngle(percent, scaleDegrees_) * std::numbers::pi / 180.0;
        const int ri = scaleLength_ - ScaleWidth / 2;
        p.drawLine(QPointF(cx + std::trunc(std::cos(a) * (cx - ri)), cy + std::trunc(std::sin(a) * (cy - ri))),
                   QPointF(cx + std::trunc(std::cos(a) * cx), cy + std::trunc(std::sin(a) * cy)));
    };
    tick(0);
    tick(100);
    if (model_.Balance()) tick(50);
    for (int i = 1; i < scaleTicks_; ++i) tick(std::nearbyint(100.0 * i / scaleTicks_));
}

void TRotaryKnob::DrawDisc(QPainter& p) {
    const int l = scaleLength_, w = width(), h = height();
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button), shadow = pal.color(QPalette::Dark),
                 light = pal.color(QPalette::Light), frame = pal.color(QPalette::Shadow);
    p.setBrush(DiscColor());
    auto upperLeft = [&](const QRect& box, const QColor& c) {
        p.setPen(c);
        p.drawArc(box, 45 * 16, 180 * 16);
    };
    auto lowerRight = [&](const QRect& box, const QColor& c) {
        p.setPen(c);
        p.drawArc(box, 225 * 16, 180 * 16);
    };
    const QRect outer = Box(l, l, w - l, h - l), inner = Box(l + 1, l + 1, w - l - 1, h - l - 1);
    // Raised: lit from the upper left.
    if (wheelFrame_ == TKnobFrame::DoubleBevel) {
        p.setPen(wheelColor_);
        p.drawEllipse(Box(l + 2, l + 2, w - l - 2, h - l - 2));
        upperLeft(outer, face);
        upperLeft(inner, light);
        lowerRight(outer, frame);
        lowerRight(inner, shadow);
    } else if (wheelFrame_ == TKnobFrame::SingleBevel) {
        p.setBrush(Qt::NoBrush);
        upperLeft(outer, light);
        lowerRight(outer, shadow);
    } else {
        p.setPen(frame);
        p.drawEllipse(outer);
        upperLeft(inner, light);
        lowerRight(inner, shadow);
    }
    p.setBrush(Qt::NoBrush);
}

void TRotaryKnob::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (scale_) DrawScale(p);
    DrawDisc(p);
    p.setPen(QPen(scaleColor_, ScaleWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(PointerLine(Position()));
    if ((focusAction_ == TFocusAction::FocusRect || focusAction_ == TFocusAction::Both) && hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void TRotaryKnob::DoTrack() {
    if (ShowTrackHint && dragging_) {
        QString text;
        if (OnGetTrackHint) OnGetTrackHint(this, text);
        else text = QString::number(Position());
        hint_->ShowAt(this, text);
    }
    if (OnTrack) OnTrack(this);
}

void TRotaryKnob::DoSelect() {
    DoTrack();
    if (hint_->IsShowing()) hint_->SetShowing(false);
    if (OnSelect) OnSelect(this);
}

void TRotaryKnob::mousePressEvent(QMouseEvent* event) {
    startPosition_ = Position();
    if (focusPolicy() != Qt::NoFocus && !hasFocus()) setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    startY_ = static_cast<int>(event->position().y());
    DoTrack();
}

void TRotaryKnob::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    SetPosition(startPosition_ + (startY_ - static_cast<int>(event->position().y())));
    DoTrack();
}

void TRotaryKnob::mouseReleaseEvent(QMouseEvent*) {
    if (!dragging_) return;
    dragging_ = false;
    DoSelect();
}

void TRotaryKnob::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event); // the second press of a double-click is a press too
    if (OnDblClick) OnDblClick(this);
    startPosition_ = Position(); // a drag that follows starts from where the double-click left the knob
}

void TRotaryKnob::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (dragging_) {
            SetPosition(startPosition_);
            dragging_ = false;
        }
        break;
    case Qt::Key_PageUp: SetPosition(Position() + PosLargeStep); break;
    case Qt::Key_PageDown: SetPosition(Position() - PosLargeStep); break;
    case Qt::Key_End: SetPosition(PositionMax()); break;
    case Qt::Key_Home: SetPosition(PositionMin()); break;
    case Qt::Key_Left:
    case Qt::Key_Down: SetPosition(Position() - PositionStep()); break;
    case Qt::Key_Up:
    case Qt::Key_Right: SetPosition(Position() + PositionStep()); break;
    default: TTransparentWidget::keyPressEvent(event); return;
    }
    DoSelect();
}

void TRotaryKnob::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0) return; // a sideways swipe
    // Touchpads send many small deltas: they add up until they make a step.
    const int k = (event->modifiers() & Qt::ShiftModifier) ? PositionStep() : PosLargeStep;
    if ((wheelRemainder_ > 0) != (delta > 0)) wheelRemainder_ = 0; // turned the other way
    wheelRemainder_ += delta / 120.0 * k;
    const int steps = static_cast<int>(wheelRemainder_); // whole steps; the rest waits
    if (steps == 0) return;
    wheelRemainder_ -= steps;
    SetPosition(Position() + steps);
    DoSelect();
}

void TRotaryKnob::focusInEvent(QFocusEvent* event) {
    TTransparentWidget::focusInEvent(event);
    update();
}

void TRotaryKnob::focusOutEvent(QFocusEvent* event) {
    TTransparentWidget::focusOutEvent(event);
    update();
}

void TRotaryKnob::changeEvent(QEvent* event) {
    TTransparentWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}
