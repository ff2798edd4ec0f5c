#pragma once
// The arithmetic of the image controls: which frame a value shows, how a
// strip of frames is measured, and how a drag moves a value with its
// attraction to the middle and Shift's fine mode.
namespace ImgModel {

int FrameIndex(int position, int min, int max, int count);

struct TStrip {
    int bitmapWidth = 0, bitmapHeight = 0;
    int width = 0, height = 0, count = 0, separator = 0;
    bool vertical = false;
    void Clip();
    void FrameSizeFromCount();
    void CountFromFrameSize();
};

// One drag of a value-mode control.
class TValueDrag {
public:
    void Press(int x, int y, bool shift, int position);
    // The value the control moves to for a mouse point, or false when it stays.
    // Calls setValue for each change (the middle first, as the control does).
    template <typename SetValue>
    void Move(int x, int y, bool shift, bool vertical, int position, int middle, int middleSnap, int smallChange,
              SetValue setValue);
    int StartPosition() const { return start_; }

private:
    int lastX_ = 0, lastY_ = 0, start_ = 0;
    bool fine_ = false;
};

inline int Sign(int v) { return (v > 0) - (v < 0); }

template <typename SetValue>
void TValueDrag::Move(int x, int y, bool shift, bool vertical, int position, int middle, int middleSnap,
                      int smallChange, SetValue setValue) {
    int d = vertical ? lastY_ - y : x - lastX_;
    if (shift) {
        d /= 6; // six pixels per step
        fine_ = true;
    } else if (fine_) {
        d = Sign(d);
        fine_ = false;
    }
    int inc = d * smallChange;
    if (d != 0 && !fine_) {
        if (position == middle) {
            inc = (d > middleSnap || -d > middleSnap) ? (d - Sign(d) * middleSnap) * smallChange : 0;
        } else if (((position < middle && middle <= position + inc) || (position > middle && middle >= position + inc)) &&
                   smallChange != 0 && ((position + inc - middle) / smallChange <= middleSnap &&
                                        -((position + inc - middle) / smallChange) <= middleSnap)) {
            setValue(middle);
            inc = 0;
            lastX_ = x; // the value arrived: distances count from here
            lastY_ = y;
        }
    }
    if (inc != 0) {
        lastX_ = x;
        lastY_ = y;
        setValue(position + inc);
    }
}

} // namespace ImgModel
