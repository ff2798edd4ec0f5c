#include "instrument/ImageStripModel.h"

#include <algorithm>

namespace ImgModel {

int FrameIndex(int position, int min, int max, int count) {
    if (count <= 0) return -1;
    const double slice = (static_cast<double>(position) - min) / (static_cast<double>(max) - min + 1.0);
    return std::clamp(static_cast<int>(slice * count), 0, count - 1);
}

void TStrip::Clip() {
    width = std::min(width, bitmapWidth);
    height = std::min(height, bitmapHeight);
}

void TStrip::FrameSizeFromCount() {
    if (count < 1) {
        Clip();
        return;
    }
    if (!vertical) {
        width = (bitmapWidth + separator) / count - separator;
        height = bitmapHeight;
    } else {
        height = (bitmapHeight + separator) / count - separator;
        width = bitmapWidth;
    }
}

void TStrip::CountFromFrameSize() {
    const int size = vertical ? height : width;
    if (size >= 1) count = ((vertical ? bitmapHeight : bitmapWidth) + separator) / (size + separator);
    else if (count > 0) FrameSizeFromCount();
}

void TValueDrag::Press(int x, int y, bool shift, int position) {
    lastX_ = x;
    lastY_ = y;
    fine_ = shift;
    start_ = position;
}

} // namespace ImgModel
