// Painting the piano keyboard: drawn and image keys, dots, legends, the focus cursor.
#include "widgets/PianoKeyboard.h"

#include "widgets/PianoKeyboardParts.h"
#include "widgets/QtServices.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>

using namespace KeyGeometry;
using namespace PianoKeyboardParts;

namespace {
const QColor PressedDot(0x80, 0x80, 0x80);
const QColor MarkDot(0xC0, 0xC0, 0xC0);
} // namespace

// --- painting ---------------------------------------------------------------

void TPianoKeyboard::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    // Pictures drawn for the pixel ratio of the screen the keys are painted on.
    const qreal ratio = PaintedPixelRatio(p) > 1.0 ? 2.0 : 1.0;
    if (images_ && ratio != imageRatio_) {
        imageRatio_ = ratio;
        LoadImages();
    }
    const QRect r = event->rect();
    int from, to;
    if (r == rect()) {
        from = baseNote_ - 2;
        to = LastVisibleNote();
    } else {
        // Only the keys under the exposed part; the clip keeps the rest untouched.
        const int bottom = std::max(height(), BlackKeyHeight + 1);
        auto at = [&](int x) {
            const int a = scrollOffset_ + x;
            return paintStyle_ == TPaintStyle::Image && images_
                       ? NoteAtImage(a, bottom, keyWidth_, images_->hitMap)
                       : NoteAtDraw(a, bottom, keyWidth_, height());
        };
        from = at(r.left()) - 1;
        to = std::min(at(r.right()) + 2, 127);
    }
    PaintRange(p, from, to);
    // Only on drawn keys: scrolled image keys would carry it along.
    if (TabStop() && hasFocus() && paintStyle_ == TPaintStyle::Drawn) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void TPianoKeyboard::PaintRange(QPainter& p, int from, int to) {
    if (paintStyle_ == TPaintStyle::Drawn || !images_) {
        const int end = std::clamp(to, 0, 127);
        for (int note = std::max(from - 1, 0); note <= end; ++note) {
            if (AbsoluteX(note, Layout()) - scrollOffset_ > width()) break;
            PaintDrawnKey(p, note);
        }
    } else {
        from = std::clamp(from, 0, 127);
        to = std::clamp(to, 0, 127);
        for (int note = from; note < to; ++note)
            if (!IsBlackNote(note)) PaintImageKey(p, note, 1);
        PaintImageKey(p, to, 2);
        const int imageHeight = ImageHeight();
        if (imageHeight < height()) p.fillRect(0, imageHeight, width(), height() - imageHeight, Qt::black);
    }
    PaintLegends(p, from - 1, to);
    if (hasFocus() && focusNote_ >= from - 1 && focusNote_ <= to + 1) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(FocusRect(focusNote_).adjusted(1, 1, -1, -1));
    }
}

// A white key's part below the black keys, a black key whole.
QRect TPianoKeyboard::FocusRect(int note) const {
    const QRect key = KeyRect(note);
    if (IsBlackNote(note)) return key;
    const int top = KeyRect(1).height(); // any black key's
    return QRect(key.left(), top, keyWidth_, std::min(key.height(), height()) - top);
}

// Over the finished keys: an image key's slice covers its neighbours' columns.
void TPianoKeyboard::PaintLegends(QPainter& p, int from, int to) {
    if (!legends_.Shown()) return;
    const bool drawn = paintStyle_ == TPaintStyle::Drawn || !images_;
    for (int note = std::max(from, 0); note <= std::min(to, 127); ++note) {
        const bool black = IsBlackNote(note);
        // An image's black key is narrower than the key width.
        const QRect column = !drawn && black ? KeyRect(note)
                                             : QRect(AbsoluteX(note, Layout()) - scrollOffset_, 0, keyWidth_, height());
        if (column.left() > width()) break;
        // Above the drawn keys' dot; near the bottom of an image key.
        const int bottom = drawn ? DotRect(note).top() - 1 : KeyRect(note).height() * (black ? 8 : 13) / (black ? 9 : 14);
        legends_.Paint(p, note, keyOctave_, column, bottom, black);
    }
}

void TPianoKeyboard::PaintDrawnKey(QPainter& p, int note) {
    const int x = AbsoluteX(note, Layout()) - scrollOffset_, h = height(), t = h * 3 / 5, k = keyWidth_;
    const int s = shadowWidth_;
    if (!IsBlackNote(note)) {
        const int shape = note == 127 ? 2 : WhiteShape(note % 12);
        if (shape == 0) p.fillRect(x, 0, k / 2, t, Qt::white);
        p.fillRect(x, t, k - 1, h - t, Qt::white);
        if (shape == 2) p.fillRect(x + k / 2, 0, k - 1 - k / 2, t, Qt::white);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(x + k - 1, h - 1, x + k - 1, shape == 2 ? 0 : t);
    } else {
        p.fillRect(x, 0, k, t, Qt::black);
        if (s > 0) {
            p.setPen(QPen(Qt::white, s, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            const int lx = x + 1 + s / 2, by = t - 1 - (3 * s) / 2;
            const QPoint line[3] = {{lx, 0}, {lx, by}, {x + k - 1 - s / 2, by}};
            p.drawPolyline(line, 3);
        }
    }
    PaintDot(p, note);
}

void TPianoKeyboard::PaintDot(QPainter& p, int note) {
    const bool black = IsBlackNote(note);
    QColor colour = black ? Qt::black : Qt::white;
    if (state_->IsPressed(note)) colour = PressedDot;
    else if (note == markNote_) colour = MarkDot;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(DotRect(note));
    p.setBrush(Qt::NoBrush);
}

void TPianoKeyboard::PaintImageKey(QPainter& p, int note, int neighbours) {
    const int x = AbsoluteX(note, Layout()) - scrollOffset_, k = keyWidth_;
    if (x > width() + k || x + 2 * k < 0) return;
    const bool black = IsBlackNote(note), pressed = state_->IsPressed(note);
    const int whiteIndex = ColourIndex(note % 12);
    const QPixmap& bitmap = black ? (pressed ? images_->blackDown : images_->blackUp)
                                  : (pressed ? images_->whiteDown : images_->whiteUp)[static_cast<std::size_t>(whiteIndex)];
    p.drawPixmap(x, 0, bitmap);
    if (note == markNote_) {
        const int h = LogicalSize(bitmap).height(), y = h * 2 / 3 + (pressed ? h / 7 : 0), cx = x + k / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(MarkDot);
        p.drawEllipse(QRect(cx - 3, y - 4, 6, 6));
        p.setBrush(Qt::NoBrush);
    }
    if (black || neighbours == 0) return;
    // A white key's slice shows its black neighbours released: restore pressed ones.
    if (note > 0 && IsBlackNote(note - 1) && state_->IsPressed(note - 1)) PaintImageKey(p, note - 1, 0);
    if (neighbours == 2 && note < 127 && IsBlackNote(note + 1) && state_->IsPressed(note + 1))
        PaintImageKey(p, note + 1, 0);
}
