#pragma once
// The rotary knob: a disc with a bevel, an optional scale and a pointer,
// turned by dragging up and down, by keys and by the mouse wheel.
#include "widgets/MovingHintWindow.h"
#include "widgets/TransparentWidget.h"
#include "instrument/RotaryKnobModel.h"

#include <QColor>

#include <functional>
#include <memory>

// How a knob shows that it has the focus.
enum class TFocusAction { None, FocusRect, FocusColor, Both };

class TRotaryKnob : public TTransparentWidget {
    Q_OBJECT
public:
    explicit TRotaryKnob(QWidget* parent = nullptr);

    using TNotifyEvent = std::function<void(TRotaryKnob* sender)>;
    TNotifyEvent OnTrack, OnSelect, OnPosChange;
    std::function<void(TRotaryKnob* sender, QString& caption)> OnGetTrackHint;
    // For the knob row: a double-click resets a knob.
    TNotifyEvent OnDblClick;

    int Position() const { return model_.Position(); }
    void SetPosition(int value) { model_.SetPosition(value); }
    int PositionMin() const { return model_.Min(); }
    void SetPositionMin(int value);
    int PositionMax() const { return model_.Max(); }
    void SetPositionMax(int value);
    int PositionStep() const { return model_.Step(); }
    void SetPositionStep(int value);
    bool Balance() const { return model_.Balance(); }
    void SetBalance(bool value);
    int PosLargeStep = 10;
    bool ShowTrackHint = false;

    int ScaleDegrees() const { return scaleDegrees_; }
    void SetScaleDegrees(int value);
    int ScaleTicks() const { return scaleTicks_; }
    void SetScaleTicks(int value);
    int ScaleLength() const { return scaleLength_; }
    void SetScaleLength(int value);
    int PointerDistance() const { return pointerDistance_; }
    void SetPointerDistance(int value);
    bool Scale() const { return scale_; }
    void SetScale(bool value);
    bool ForceSquare() const { return forceSquare_; }
    void SetForceSquare(bool value);
    TKnobFrame WheelFrame() const { return wheelFrame_; }
    void SetWheelFrame(TKnobFrame value);
    TFocusAction FocusAction() const { return focusAction_; }
    void SetFocusAction(TFocusAction value);
    QColor ScaleColor() const { return scaleColor_; }
    void SetScaleColor(const QColor& c);
    QColor WheelColor() const { return wheelColor_; }
    void SetWheelColor(const QColor& c);
    QColor FocusColor() const { return focusColor_; }
    void SetFocusColor(const QColor& c);

    void SetBounds(int left, int top, int width, int height);
    TMovingHint& Hint() { return *hint_; }
    bool Dragging() const { return dragging_; }
    // The pointer's line for a position, in client coordinates.
    QLineF PointerLine(int position) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    static constexpr int ScaleWidth = 1; // of the scale's ticks and the pointer
    void DoTrack();
    void DoSelect();
    void Look(); // a property that alters the look changed
    void ReapplyPointerDistance();
    int DiscSize() const { return forceSquare_ ? height() : std::min(width(), height()); }
    QColor DiscColor() const;
    void DrawScale(QPainter& p);
    void DrawDisc(QPainter& p);

    TRotaryKnobModel model_;
    int startPosition_ = 0;
    bool dragging_ = false;
    int startY_ = 0;
    double wheelRemainder_ = 0; // steps turned by the wheel but not yet made
    int scaleDegrees_ = 320;
    TFocusAction focusAction_ = TFocusAction::FocusRect;
    bool forceSquare_ = true;
    TKnobFrame wheelFrame_ = TKnobFrame::DoubleBevel;
    int pointerDistance_ = 1;
    bool scale_ = true;
    QColor scaleColor_ = Qt::black;
    int scaleLength_ = 5;
    int scaleTicks_ = 10;
    QColor wheelColor_;
    QColor focusColor_;
    std::unique_ptr<TMovingHint> hint_;
};
