#include "instrument/RotaryKnobModel.h"

#include <algorithm>
#include <cstdlib>

int TRotaryKnobModel::Constrain(int value) const {
    int p = std::clamp(value, min_, max_);
    if (p > min_ && p < max_ && step_ > 0) {
        const int s = step_, q = p / s, r = p % s;
        // r >= s / 2 with s / 2 as a real number: 2r >= s.
        if (r > 0) p = 2 * r >= s ? (q + 1) * s : q * s;
        else p = -2 * r <= s ? q * s : (q - 1) * s;
    }
    return p;
}

void TRotaryKnobModel::MoveTo(int p) {
    if (p == position_) return;
    const int old = position_;
    position_ = p;
    if (OnMoved) OnMoved(old);
    if (OnPosChange) OnPosChange();
}

void TRotaryKnobModel::SetPosition(int value) {
    if (value == position_) {
        if (OnPosChange) OnPosChange(); // listeners refresh on a re-assignment
        return;
    }
    MoveTo(Constrain(value));
}

void TRotaryKnobModel::Reapply() { MoveTo(Constrain(position_)); }

bool TRotaryKnobModel::SetMax(int value) {
    if (value == max_) return true;
    if (balance_ && value == 0) return false;
    if (value <= min_) return false;
    max_ = value;
    if (balance_) {
        max_ = std::abs(value);
        min_ = -std::abs(value);
    }
    if (max_ - min_ < step_) step_ = max_ - min_;
    Reapply();
    return true;
}

bool TRotaryKnobModel::SetMin(int value) {
    if (value == min_) return true;
    if (balance_ && value == 0) return false;
    if (value >= max_) return false;
    min_ = value;
    if (balance_) {
        min_ = -std::abs(value);
        max_ = std::abs(value);
    }
    Reapply();
    if (max_ - min_ < step_) step_ = max_ - min_;
    return true;
}

bool TRotaryKnobModel::SetStep(int value) {
    if (value == step_) return true;
    const int range = max_ - min_;
    if (value > range || value <= 0 || range % value != 0) return false;
    step_ = value;
    return true;
}

void TRotaryKnobModel::SetBalance(bool value) {
    if (value == balance_) return;
    balance_ = value;
    if (!value) return;
    const long long a = std::llabs(static_cast<long long>(max_)), b = std::llabs(static_cast<long long>(min_));
    long long h = std::min(a, b);
    if (h == 0) h = std::max(a, b);
    h = std::min(h, 0x3FFFFFFFLL);
    max_ = static_cast<int>(h);
    min_ = static_cast<int>(-h);
    if (max_ - min_ < step_) step_ = max_ - min_;
    Reapply();
}

namespace WheelGeometry {

void Bounds(int currentWidth, int currentHeight, int& width, int& height, bool forceSquare) {
    if (forceSquare) {
        if (height == currentHeight) height = width;
        else if (width == currentWidth) width = height;
        else width = height = std::min(width, height);
    }
    width = width / 2 * 2 + 1;
    height = height / 2 * 2 + 1;
}

double ScaleAngle(double percent, int scaleDegrees) {
    return (360.0 - scaleDegrees) / 2.0 + scaleDegrees * percent / 100.0 - 360.0 + 90.0;
}

int FrameAllowance(TKnobFrame frame) { return frame == TKnobFrame::SingleBevel ? 0 : 2; }

} // namespace WheelGeometry
