#include "widgets/PianoKeyboard.h"

#include "instrument/KeyboardSettings.h"

#include "widgets/AccessibleControls.h"
#include "widgets/Bitmaps.h"
#include "widgets/PictureDepth.h"
#include "widgets/QtServices.h"

#include <QApplication>
#include <QLineEdit>

#include <QImage>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

using namespace KeyGeometry;

namespace {

const QColor PressedDot(0x80, 0x80, 0x80);
const QColor MarkDot(0xC0, 0xC0, 0xC0);

bool IsBlackNote(int note) { return IsBlack(note % 12); }

const char* SizeWord(TImageSize size) {
    switch (size) {
    case TImageSize::Small: return "SMALL";
    case TImageSize::Big: return "BIG";
    case TImageSize::Normal: break;
    }
    return "NORMAL";
}

} // namespace

TPianoKeyboard::TPianoKeyboard(TKeyTable& keys, QWidget* parent)
    : QWidget(parent), imagesAvailable_(ScreenDepth() >= 8), imageDepth_(ScreenDepth()), keys_(keys),
      legends_(keys, *this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    state_.OnNote = [this](TKeyboardState*, std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        if (OnNote) OnNote(this, s, d1, d2);
    };
    state_.OnDisplayEvent = [this](TKeyboardState*, std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        if (OnDisplayEvent) OnDisplayEvent(this, s, d1, d2);
    };
    state_.OnRedrawNote = [this](int note) {
        RedrawNote(note);
        if (note == focusNote_) TellFocusNote();
    };
    state_.OnRepaint = [this] { update(); };
    hook_.OnKey = [this](TKeyboardHook*, const TKeyData& data, bool& handled) { KeyHandler(data, handled); };
    InstallAccessibleControls();
    setAccessibleName("Piano keyboard");
    UpdateLimits();
    resize(100, 30);
    ApplyBaseNote(baseNote_, true);
}

// --- layout -----------------------------------------------------------------

bool TPianoKeyboard::ApplyBaseNote(int note, bool force) {
    const int clamped = ClampBaseNote(note, width(), keyWidth_);
    const bool changed = clamped != baseNote_;
    if (changed || force) {
        baseNote_ = clamped;
        scrollOffset_ = AbsoluteX(baseNote_, Layout());
    }
    if (changed && OnBaseNoteChange) OnBaseNoteChange(this, NoteName(baseNote_));
    return changed;
}

void TPianoKeyboard::SetBaseNote(int note) {
    const int oldOffset = scrollOffset_;
    ApplyBaseNote(note, true);
    const int newOffset = scrollOffset_;
    scrollOffset_ = oldOffset;
    ScrollRepaint(oldOffset, newOffset);
}

void TPianoKeyboard::ScrollRepaint(int oldOffset, int newOffset) {
    scrollOffset_ = newOffset;
    const int d = newOffset - oldOffset;
    if (d == 0) return;
    // Copy what is already painted; Qt then paints only the strip that came into view.
    if (std::abs(d) > width() - 20) update();
    else scroll(-d, 0);
}

void TPianoKeyboard::UpdateLimits() {
    setMinimumSize(10, 5);
    setMaximumWidth(std::max(10, FullWidth()));
}

void TPianoKeyboard::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (ApplyBaseNote(baseNote_, false)) update();
}

void TPianoKeyboard::SetMarkNote(int note) {
    markNote_ = std::clamp(note, 0, 127);
    update();
}

void TPianoKeyboard::SetShadowWidth(int width) {
    if (width < 0) width = 0;
    if (width > keyWidth_ - 2) width = keyWidth_;
    shadowWidth_ = width;
    update();
}

void TPianoKeyboard::SetKeyWidth(int width) {
    if (paintStyle_ == TPaintStyle::Image) return;
    width = std::clamp(width, 4, 100);
    if (width == keyWidth_) return;
    keyWidth_ = width;
    ApplyBaseNote(baseNote_, true);
    UpdateLimits();
    update();
}

void TPianoKeyboard::SetLanguage(TLanguage language) {
    language_ = language;
    update();
}

void TPianoKeyboard::SetImageSize(TImageSize size) {
    if (size == imageSize_) return;
    imageSize_ = size;
    if (images_) {
        LoadImages();
        ApplyBaseNote(baseNote_, true);
        UpdateLimits();
        update();
    }
}

void TPianoKeyboard::SetPaintStyle(TPaintStyle style) {
    if (!imagesAvailable_) style = TPaintStyle::Drawn;
    if (style == paintStyle_) return;
    paintStyle_ = style;
    const int oldWidth = keyWidth_;
    if (style == TPaintStyle::Drawn) FreeImages();
    else LoadImages();
    ApplyBaseNote(baseNote_, keyWidth_ != oldWidth);
    UpdateLimits();
    update();
}

void TPianoKeyboard::SetTabStop(bool tabStop) { setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus); }

int TPianoKeyboard::NoteAt(int x, int y) {
    const int a = scrollOffset_ + x;
    if (paintStyle_ == TPaintStyle::Image && images_)
        lastHoveredNote_ = NoteAtImage(a, y, keyWidth_, images_->hitMap);
    else
        lastHoveredNote_ = NoteAtDraw(a, y, keyWidth_, height());
    return lastHoveredNote_;
}

int TPianoKeyboard::LastVisibleNote() const {
    const int a = scrollOffset_ + width() - 1;
    int note = paintStyle_ == TPaintStyle::Image && images_
                   ? NoteAtImage(a, BlackKeyHeight + 1, keyWidth_, images_->hitMap)
                   : NoteAtDraw(a, height(), keyWidth_, height());
    if (note < 127 && IsBlackNote(note + 1)) ++note; // its left half may show
    return std::min(note, 127);
}

std::string TPianoKeyboard::DisplayName(int note) const {
    if (patchNoteNames_) {
        const std::string& name = (*patchNoteNames_)[static_cast<std::size_t>(std::clamp(note, 0, 127))];
        if (!name.empty()) return name;
    }
    return NoteName(note);
}

void TPianoKeyboard::SetNoteNames(const std::array<std::string, 128>* names) {
    if (names) patchNoteNames_ = std::make_unique<std::array<std::string, 128>>(*names);
    else patchNoteNames_.reset();
}

namespace {
// A picture's size in logical pixels, whatever its pixel ratio.
QSize LogicalSize(const QPixmap& p) { return p.deviceIndependentSize().toSize(); }
} // namespace

int TPianoKeyboard::ImageHeight() const { return images_ ? LogicalSize(images_->whiteUp[0]).height() : height(); }

QRect TPianoKeyboard::KeyRect(int note) const {
    const int x = AbsoluteX(note, Layout()) - scrollOffset_;
    const bool black = IsBlackNote(note);
    if (paintStyle_ == TPaintStyle::Image && images_) {
        const QPixmap& p = black ? images_->blackUp : images_->whiteUp[0];
        return QRect(QPoint(x, 0), LogicalSize(p));
    }
    return QRect(x, 0, keyWidth_, black ? height() * 3 / 5 : height());
}

QRect TPianoKeyboard::DotRect(int note) const {
    const int x = AbsoluteX(note, Layout()) - scrollOffset_, h = height(), cx = x + keyWidth_ / 2;
    if (IsBlackNote(note)) {
        const int y = h * 3 / 5 - h / 7;
        return QRect(cx - 2, y - 5, 6, 6);
    }
    const int y = h - h / 7;
    return QRect(cx - 3, y - 4, 6, 6);
}

void TPianoKeyboard::DisplayChanged(int bitsPerPixel) {
    const bool crossed = PictureDepth::ChangeReloads(imageDepth_, bitsPerPixel);
    imageDepth_ = bitsPerPixel;
    if (bitsPerPixel < 8 && imagesAvailable_) {
        // Too few colours for the pictures: the keys are drawn from now on.
        imagesAvailable_ = false;
        SetPaintStyle(TPaintStyle::Drawn);
        return;
    }
    if (!crossed || !images_) return;
    LoadImages(); // the other colour set
    ApplyBaseNote(baseNote_, true);
    update();
}

void TPianoKeyboard::RedrawNote(int note) {
    if (paintStyle_ == TPaintStyle::Drawn || !images_) update(DotRect(note).adjusted(-1, -1, 1, 1));
    else update(KeyRect(note));
}

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
    if (state_.IsPressed(note)) colour = PressedDot;
    else if (note == markNote_) colour = MarkDot;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(DotRect(note));
    p.setBrush(Qt::NoBrush);
}

void TPianoKeyboard::PaintImageKey(QPainter& p, int note, int neighbours) {
    const int x = AbsoluteX(note, Layout()) - scrollOffset_, k = keyWidth_;
    if (x > width() + k || x + 2 * k < 0) return;
    const bool black = IsBlackNote(note), pressed = state_.IsPressed(note);
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
    if (note > 0 && IsBlackNote(note - 1) && state_.IsPressed(note - 1)) PaintImageKey(p, note - 1, 0);
    if (neighbours == 2 && note < 127 && IsBlackNote(note + 1) && state_.IsPressed(note + 1))
        PaintImageKey(p, note + 1, 0);
}

// --- images -----------------------------------------------------------------

void TPianoKeyboard::FreeImages() { images_.reset(); }

bool TPianoKeyboard::LoadImages() {
    FreeImages();
    if (imagesAvailable_) {
        const int depth = imageDepth_;
        const QString suffix = PictureDepth::UsesFullColour(depth) ? "" : "256";
        const auto& g = ImageGeometry(imageSize_);
        auto load = [&](const char* kind, int ratio) {
            const QString atRatio = ratio > 1 ? QString("@%1x").arg(ratio) : QString();
            QImage image = LoadBitmapImage(QString("%1%2%3%4").arg(kind, SizeWord(imageSize_), suffix, atRatio));
            image = image.convertToFormat(QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            return image;
        };
        // The 256-colour sets exist at one size only.
        int r = suffix.isEmpty() && imageRatio_ > 1.0 ? 2 : 1;
        QImage up = load("UP", r), down = load("DOWN", r);
        if (r > 1 && (up.isNull() || down.isNull())) {
            r = 1;
            up = load("UP", r);
            down = load("DOWN", r);
        }
        if (!up.isNull() && !down.isNull()) {
            // Cut in the pictures' own pixels; every piece keeps their ratio.
            auto cut = [r](const QImage& from, int x, int y, int w, int h) {
                QImage piece = from.copy(x * r, y * r, w * r, h * r);
                piece.setDevicePixelRatio(r);
                return piece;
            };
            const int height = up.height() / r;
            TKeyImages images;
            QImage blackUp = cut(up, g.blackLeft[0], 0, g.blackKeyWidth, g.blackKeyHeight);
            QImage blackDown = cut(down, g.blackLeft[0], 0, g.blackKeyWidth, g.blackKeyHeight);
            for (QImage* octave : {&up, &down}) {
                QPainter p(octave); // every black key looks like the released C#
                for (int left : g.blackLeft) p.drawImage(left, 0, blackUp);
            }
            const int k = up.width() / r / 7;
            for (int w : {0, 1, 2, 4, 5}) {
                images.whiteUp[static_cast<std::size_t>(w)] = QPixmap::fromImage(cut(up, w * k, 0, k, height));
                images.whiteDown[static_cast<std::size_t>(w)] = QPixmap::fromImage(cut(down, w * k, 0, k, height));
            }
            images.whiteUp[3] = images.whiteUp[0];
            images.whiteDown[3] = images.whiteDown[0];
            images.whiteUp[6] = images.whiteUp[2];
            images.whiteDown[6] = images.whiteDown[2];
            images.blackUp = QPixmap::fromImage(blackUp);
            images.blackDown = QPixmap::fromImage(blackDown);
            images.hitMap = BuildHitMap(imageSize_, k);
            images_ = std::move(images);
            keyWidth_ = k;
            return true;
        }
    }
    // A picture that cannot be loaded: draw the keys from now on.
    imagesAvailable_ = false;
    paintStyle_ = TPaintStyle::Drawn;
    return false;
}

// --- mouse ------------------------------------------------------------------

int TPianoKeyboard::ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    int shift = ShiftStateOf(modifiers);
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

static std::optional<TMouseButton> ButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return TMouseButton::Left;
    case Qt::RightButton: return TMouseButton::Right;
    case Qt::MiddleButton: return TMouseButton::Middle;
    default: return std::nullopt;
    }
}

void TPianoKeyboard::UpdateCursor(int shift) {
    const bool hand = ((shift & ssAlt) && buttonsDown_.empty()) || state_.MouseMode() == TMouseMode::BaseNoteDrag;
    if (hand == handCursor_) return;
    handCursor_ = hand;
    if (hand) setCursor(Qt::PointingHandCursor);
    else unsetCursor();
}

void TPianoKeyboard::Press(TMouseButton button, int shift, int x, int y) {
    auto addButton = [this](TMouseButton b) {
        if (std::find(buttonsDown_.begin(), buttonsDown_.end(), b) == buttonsDown_.end()) buttonsDown_.push_back(b);
    };
    if (button == TMouseButton::Left && EnableBaseNoteDrag && (shift & ssAlt) &&
        state_.MouseMode() == TMouseMode::Idle) {
        addButton(button);
        dragStartX_ = x;
        dragStartOffset_ = scrollOffset_;
        state_.SetMouseMode(TMouseMode::BaseNoteDrag);
        UpdateCursor(shift);
        return;
    }
    if (state_.MouseMode() == TMouseMode::BaseNoteDrag) return;
    int note = NoteAt(x, y);
    noteUnderMouse_ = note;
    if (OnMousePress) OnMousePress(this, note, button, shift);
    if (note < 0 || note > 127) return;
    const int velocity = state_.GestureVelocity(shift & ssShift);
    if (button == TMouseButton::Left || (button == TMouseButton::Right && state_.EnableSpecialMode)) {
        const TMouseMode oldMode = state_.MouseMode();
        addButton(button);
        state_.SetMouseMode(button == TMouseButton::Left ? TMouseMode::Normal : TMouseMode::Hold);
        if (oldMode == TMouseMode::Idle) {
            state_.PlayNote(state_.Channel(), note, velocity, true);
            state_.PlayingNote = note;
            state_.PlayingVelocity = velocity;
        }
        state_.StartGesture(x, y);
    }
    if (TabStop() && !hasFocus()) setFocus(Qt::MouseFocusReason);
}

void TPianoKeyboard::ForgetLostButtons(const QMouseEvent& event) {
    const std::vector<TMouseButton> held = buttonsDown_;
    const QPoint pos = event.position().toPoint();
    // A press of a button still held lost its release too; the release of
    // the event's own button is its caller's.
    const bool press = event.type() == QEvent::MouseButtonPress || event.type() == QEvent::MouseButtonDblClick;
    for (TMouseButton b : held) {
        const Qt::MouseButton qt = b == TMouseButton::Left    ? Qt::LeftButton
                                   : b == TMouseButton::Right ? Qt::RightButton
                                                                : Qt::MiddleButton;
        if (qt == event.button() ? !press : (event.buttons() & qt) != 0) continue;
        Release(b, ShiftOf(event.modifiers(), event.buttons()), pos.x(), pos.y());
    }
}

void TPianoKeyboard::ForgetGestures() {
    buttonsDown_.clear();
    keysDown_.reset();
    UpdateCursor(0);
}

void TPianoKeyboard::ReleaseAll() {
    state_.ReleaseAll();
    ForgetGestures();
}

void TPianoKeyboard::ResetAll() {
    state_.ResetAll();
    ForgetGestures();
}

void TPianoKeyboard::mousePressEvent(QMouseEvent* event) {
    ForgetLostButtons(*event);
    auto button = ButtonOf(event->button());
    if (!button) return;
    const QPoint pos = event->position().toPoint();
    Press(*button, ShiftOf(event->modifiers(), event->buttons()), pos.x(), pos.y());
}

void TPianoKeyboard::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void TPianoKeyboard::DragBaseNote(int x) {
    int offset = dragStartX_ - x + dragStartOffset_;
    if (offset < 0) offset = 0;
    if (FullWidth() - offset < width()) offset = FullWidth() - width();
    if (offset == scrollOffset_) return;
    const int oldOffset = scrollOffset_;
    const int leftNote = NoteAtDraw(offset, height(), keyWidth_, height());
    const int leftImageNote =
        images_ && paintStyle_ == TPaintStyle::Image ? NoteAtImage(offset, height(), keyWidth_, images_->hitMap)
                                                       : leftNote;
    ApplyBaseNote(leftImageNote, false);
    ScrollRepaint(oldOffset, offset);
}

void TPianoKeyboard::mouseMoveEvent(QMouseEvent* event) {
    ForgetLostButtons(*event);
    const QPoint pos = event->position().toPoint();
    const int shift = ShiftOf(event->modifiers(), event->buttons());
    UpdateCursor(shift);
    if (state_.MouseMode() == TMouseMode::BaseNoteDrag) {
        DragBaseNote(pos.x());
        return;
    }
    const TMouseMode mode = state_.MouseMode();
    if (mode == TMouseMode::Hold) state_.MoveControllers(pos.x(), pos.y());
    const int note = NoteAt(pos.x(), pos.y());
    if (note == noteUnderMouse_) return;
    noteUnderMouse_ = note;
    // The handler may play another note than the one under the mouse (the
    // chord editor plays its chord's root); the key under the mouse stays
    // what a later move is compared with, so each key crossed is one step.
    int played = note;
    if ((mode == TMouseMode::Normal || mode == TMouseMode::Hold) && OnMouseDrag)
        OnMouseDrag(this, played, mode == TMouseMode::Normal ? TMouseButton::Left : TMouseButton::Right, shift);
    if (mode == TMouseMode::Normal && played >= 0 && played <= 127) {
        const int velocity = state_.GestureVelocity(shift & ssShift);
        state_.PlayNote(state_.Channel(), state_.PlayingNote, 0, true); // glissando: off before on
        state_.PlayNote(state_.Channel(), played, velocity, true);
        state_.PlayingNote = played;
        state_.PlayingVelocity = velocity;
    }
    if (OnNoteHover) OnNoteHover(this, DisplayName(noteUnderMouse_));
}

void TPianoKeyboard::mouseReleaseEvent(QMouseEvent* event) {
    ForgetLostButtons(*event);
    auto button = ButtonOf(event->button());
    if (!button) return;
    const QPoint pos = event->position().toPoint();
    Release(*button, ShiftOf(event->modifiers(), event->buttons()), pos.x(), pos.y());
}

void TPianoKeyboard::Release(TMouseButton button, int shift, int x, int y) {
    const QPoint pos(x, y);
    // A release whose press the control did not take would end a note it never started.
    if (std::erase(buttonsDown_, button) == 0) return;
    if (state_.MouseMode() == TMouseMode::BaseNoteDrag) {
        DragBaseNote(pos.x());
    } else {
        const bool held = (shift & ssCtrl) && buttonsDown_.empty();
        const bool release = !held && buttonsDown_.empty();
        state_.SetHeld(held);
        int note = release ? state_.PlayingNote : NoteAt(pos.x(), pos.y());
        if (OnMouseRelease) OnMouseRelease(this, note, button, shift);
        if (release) {
            state_.PlayNote(state_.Channel(), note, 0, true);
            state_.PlayingNote = note;
            if (state_.MouseMode() == TMouseMode::Hold) state_.RecentrePitchBend();
        }
    }
    UpdateCursor(shift);
    auto down = [this](TMouseButton b) {
        return std::find(buttonsDown_.begin(), buttonsDown_.end(), b) != buttonsDown_.end();
    };
    if (button == TMouseButton::Right && down(TMouseButton::Left))
        Press(TMouseButton::Left, shift, pos.x(), pos.y());
    else if (button == TMouseButton::Left && down(TMouseButton::Right))
        Press(TMouseButton::Right, shift, pos.x(), pos.y());
    else if (buttonsDown_.empty())
        state_.SetMouseMode(TMouseMode::Idle);
}

void TPianoKeyboard::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (OnNoteHover) OnNoteHover(this, DisplayName(lastHoveredNote_));
}

void TPianoKeyboard::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (OnNoteHover) OnNoteHover(this, "");
}

void TPianoKeyboard::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // The cursor starts where it can be seen.
    if (focusNote_ < baseNote_ || focusNote_ > LastVisibleNote())
        focusNote_ = markNote_ >= baseNote_ && markNote_ <= LastVisibleNote() ? markNote_ : baseNote_;
    TellFocusNote();
    update();
}

void TPianoKeyboard::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    ReleaseFocusNote();
    ReleaseExternalNotes();
    update();
}

// --- the focus cursor -------------------------------------------------------

void TPianoKeyboard::SetFocusNote(int note) {
    note = std::clamp(note, 0, 127);
    if (note == focusNote_) return;
    const int held = focusNoteHeld_;
    ReleaseFocusNote();
    focusNote_ = note;
    // Scrolled so that the cursor stays in sight.
    if (note < baseNote_) SetBaseNote(note);
    for (int guard = 0; note > LastVisibleNote() && guard < 128; ++guard) {
        const int before = baseNote_;
        SetBaseNoteWhiteIndex(BaseNoteWhiteIndex() + 1);
        if (baseNote_ == before) break;
    }
    if (held >= 0) {
        focusNoteHeld_ = focusNote_;
        state_.PlayNote(state_.Channel(), focusNote_, state_.GestureVelocity(false), true);
    }
    TellFocusNote();
    update();
}

std::string TPianoKeyboard::FocusNoteText() const {
    return DisplayName(focusNote_) + (state_.IsPressed(focusNote_) ? ", sounding" : "");
}

void TPianoKeyboard::TellFocusNote() { TellValueChanged(this, focusNote_, true); }

void TPianoKeyboard::ReleaseFocusNote() {
    if (focusNoteHeld_ < 0) return;
    const int note = focusNoteHeld_;
    focusNoteHeld_ = -1;
    state_.PlayNote(state_.Channel(), note, 0, true);
}

// Only keys that mean nothing else here: the window's own keys reach the
// window, the manuals' keys the keyboard hook.
void TPianoKeyboard::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int steps = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1
                      : event->key() == Qt::Key_Down ? -12 : event->key() == Qt::Key_Up ? 12 : 0;
    if (steps != 0 && mods == Qt::NoModifier) {
        SetFocusNote(focusNote_ + steps);
        return;
    }
    if (event->key() == Qt::Key_Space && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        if (!event->isAutoRepeat() && focusNoteHeld_ < 0) {
            focusNoteHeld_ = focusNote_;
            state_.PlayNote(state_.Channel(), focusNote_, state_.GestureVelocity(mods == Qt::ShiftModifier), true);
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void TPianoKeyboard::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        ReleaseFocusNote();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TPianoKeyboard::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A keyboard put away (its window closed, not minimized) can no longer
    // be released: nothing it plays may go on sounding.
    if (event->spontaneous()) return;
    ReleaseExternalNotes();
    ReleaseAll();
}

// --- computer keyboard ------------------------------------------------------

void TPianoKeyboard::SetKeyOctave(int octave) {
    octave = std::clamp(octave, 0, 10);
    if (octave == keyOctave_) return;
    // A key released later would compute another note: end the notes first.
    ReleaseExternalNotes();
    ReleaseAll();
    keyOctave_ = octave;
    legends_.Invalidate();
    if (OnOctaveChange) OnOctaveChange(this);
}

void TPianoKeyboard::OctaveDown() {
    if (keyOctave_ - 1 >= 0) SetKeyOctave(keyOctave_ - 1);
}

void TPianoKeyboard::OctaveUp() {
    if (keyOctave_ + 1 <= 10) SetKeyOctave(keyOctave_ + 1);
}

bool TPianoKeyboard::IsValidUpperCKey(int scanCode) { return TKeyTable::IsValidUpperCKey(scanCode); }
bool TPianoKeyboard::IsValidLowerCKey(int scanCode) { return TKeyTable::IsValidLowerCKey(scanCode); }

void TPianoKeyboard::SetUpperCScanCode(int scanCode) {
    if (scanCode == upperC_ || !IsValidUpperCKey(scanCode)) return;
    upperC_ = scanCode;
    keys_.Rebuild(TKeyTable::TManual::Upper, scanCode);
    legends_.Invalidate();
}

void TPianoKeyboard::SetLowerCScanCode(int scanCode) {
    if (scanCode == lowerC_ || !IsValidLowerCKey(scanCode)) return;
    lowerC_ = scanCode;
    keys_.Rebuild(TKeyTable::TManual::Lower, scanCode);
    legends_.Invalidate();
}

void TPianoKeyboard::SetCaptureKeyboard(bool capture) {
    captureKeyboard_ = capture;
    if (capture == hook_.IsActive()) return;
    if (capture) {
        hook_.Activate();
    } else {
        ReleaseAll();
        hook_.Deactivate();
    }
}

void TPianoKeyboard::KeyHandler(const TKeyData& d, bool& handled) {
    if (d.extended || (d.wasDown && !d.keyUp) || d.repeatCount > 1) return; // auto-repeat passes on
    QWidget* form = window();
    const bool formActive = form && form == QApplication::activeWindow();
    const int shift = d.shiftState;
    if (d.virtualKey == 18) { // Alt: shows the hand cursor, never opens the menu
        UpdateCursor(d.keyUp ? 0 : ssAlt);
        handled = true;
        return;
    }
    if (d.scanCode < TKeyTable::FirstScanCode || d.scanCode > TKeyTable::LastScanCode) return;
    const int modifiers = shift & (ssShift | ssCtrl | ssAlt);
    // A key plays while the window is active and no popup has the keys.
    if (!d.keyUp && ((modifiers != 0 && modifiers != ssShift) || !formActive || QApplication::activePopupWidget()))
        return;
    const int note = keyOctave_ * 12 + keys_.Offset(d.scanCode);
    if (note > 127 || note < 0) return;
    // Each key's own state: a press of a key that is down repeats, a release
    // of a key that is up ends nothing.
    const auto scan = static_cast<std::size_t>(d.scanCode);
    if (d.keyUp != keysDown_.test(scan)) {
        handled = true;
        return;
    }
    keysDown_.set(scan, !d.keyUp);
    // In a plain line edit the key also types; the key-capture box is no plain edit.
    QWidget* focus = form ? form->focusWidget() : nullptr;
    const bool inLineEdit = qobject_cast<QLineEdit*>(focus) && !focus->inherits("TKeyCaptureEdit");
    const int velocity = d.keyUp ? 0 : state_.GestureVelocity(shift & ssShift);
    state_.PlayNote(state_.Channel(), note, velocity, true);
    if (OnNoteHover) OnNoteHover(this, DisplayName(note));
    handled = !inLineEdit;
}

// --- settings ---------------------------------------------------------------

void TPianoKeyboard::LoadSettings(TIniStore& store) {
    namespace K = KeyboardSettings;
    const TSettingsSection s(store, RegKey);
    SetBaseNote(s.Read(K::BaseNote, baseNote_));
    SetChannel(s.Read(K::Channel, Channel()));
    const int chord = s.Read(K::Chord, static_cast<int>(Chord()));
    if (chord >= 0 && chord <= static_cast<int>(TChord::Custom)) state_.StoreChord(static_cast<TChord>(chord));
    const int keyWidth = s.Read(K::KeyWidth, keyWidth_);
    SetKeyWidth(keyWidth);
    const int language = s.Read(K::Language, static_cast<int>(language_));
    if (language >= 0 && language <= static_cast<int>(TLanguage::Italian)) SetLanguage(static_cast<TLanguage>(language));
    SetMarkNote(s.Read(K::MarkNote, markNote_));
    SetShadowWidth(s.Read(K::ShadowWidth, shadowWidth_));
    const int factor = s.Read(K::VelShiftFactor, static_cast<int>(std::lround(state_.VelocityShiftFactor() * 100)));
    state_.SetVelocityShiftFactor(static_cast<float>(factor) / 100.0f);
    state_.SetVelocity(s.Read(K::Velocity, state_.Velocity()));
    state_.SetUpDownController(s.Read(K::UpDownController, state_.UpDownController()) & 0xFF);
    state_.SetLeftRightController(s.Read(K::LeftRightController, state_.LeftRightController()) & 0xFF);
    SetKeyOctave(s.Read(K::KeyOctave, keyOctave_));
    const int size = s.Read(K::ImageSize, static_cast<int>(imageSize_));
    if (size >= 0 && size <= static_cast<int>(TImageSize::Big)) SetImageSize(static_cast<TImageSize>(size));
    SetLowerCScanCode(s.Read(K::LowerCKey, lowerC_));
    SetUpperCScanCode(s.Read(K::UpperCKey, upperC_));
    const int style = s.Read(K::PaintStyle, static_cast<int>(paintStyle_));
    if (style >= 0 && style <= static_cast<int>(TPaintStyle::Image)) SetPaintStyle(static_cast<TPaintStyle>(style));
    // Read while the image style still held it: a drawn keyboard gets its key width now.
    SetKeyWidth(keyWidth);
    SetShowKeyLegends(s.Read(K::KeyLegends, ShowKeyLegends()));
}

void TPianoKeyboard::SaveSettings(TIniStore& store) {
    namespace K = KeyboardSettings;
    const TSettingsSection s(store, RegKey);
    s.Write(K::BaseNote, baseNote_);
    s.Write(K::Channel, Channel());
    s.Write(K::Chord, static_cast<int>(Chord()));
    s.Write(K::KeyWidth, keyWidth_);
    s.Write(K::Language, static_cast<int>(language_));
    s.Write(K::MarkNote, markNote_);
    s.Write(K::ShadowWidth, shadowWidth_);
    s.Write(K::VelShiftFactor, static_cast<int>(std::lround(state_.VelocityShiftFactor() * 100)));
    s.Write(K::Velocity, state_.Velocity());
    s.Write(K::UpDownController, state_.UpDownController());
    s.Write(K::LeftRightController, state_.LeftRightController());
    s.Write(K::KeyOctave, keyOctave_);
    s.Write(K::ImageSize, static_cast<int>(imageSize_));
    s.Write(K::LowerCKey, lowerC_);
    s.Write(K::UpperCKey, upperC_);
    s.Write(K::PaintStyle, static_cast<int>(paintStyle_));
    s.Write(K::KeyLegends, ShowKeyLegends());
}
