#pragma once
// The value rules of the rotary knob: range, step grid, balance and the
// clamping and snapping of positions; and the knob's geometry.
#include <cstdint>
#include <functional>

class TRotaryKnobModel {
public:
    // Raised when the position was assigned (also when it stayed the same) ...
    std::function<void()> OnPosChange;
    // ... and before that, when it moved, with the old position.
    std::function<void(int oldPosition)> OnMoved;

    int Position() const { return position_; }
    void SetPosition(int value);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Step() const { return step_; }
    bool Balance() const { return balance_; }
    // Each returns false when the value was rejected and dropped.
    bool SetMax(int value);
    bool SetMin(int value);
    bool SetStep(int value);
    void SetBalance(bool value);

    // The value a position takes: clamped, then snapped to the step grid
    // unless it is a bound. Halves round toward plus infinity.
    int Constrain(int value) const;

private:
    void Reapply();
    void MoveTo(int position);

    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
    int step_ = 1;
    bool balance_ = false;
};

// How a knob's disc is framed: two bevels, an outline with a bevel inside, or one bevel.
enum class TKnobFrame { DoubleBevel, OutlinedBevel, SingleBevel };

namespace WheelGeometry {
// Odd sizes, and with forceSquare equal ones: the size a knob takes.
void Bounds(int currentWidth, int currentHeight, int& width, int& height, bool forceSquare);
// The angle in degrees of a percentage of the scale, clockwise on screen from +x.
double ScaleAngle(double percent, int scaleDegrees);
// The pixels a frame takes from the disc's edge.
int FrameAllowance(TKnobFrame frame);
} // namespace WheelGeometry
