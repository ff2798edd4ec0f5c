// The piano keyboard's construction and layout: base note, key sizes, where each key is.
#include "widgets/PianoKeyboard.h"

#include "widgets/AccessibleControls.h"
#include "widgets/PianoKeyboardParts.h"
#include "widgets/PictureDepth.h"
#include "widgets/QtServices.h"

#include <algorithm>

using namespace KeyGeometry;
using namespace PianoKeyboardParts;

TPianoKeyboard::TPianoKeyboard(TKeyTable& keys, QWidget* parent)
    : QWidget(parent), imagesAvailable_(ScreenDepth() >= 8), imageDepth_(ScreenDepth()), keys_(keys),
      legends_(keys, *this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    ownState_.OnNote = [this](TKeyboardState*, const TShortMessage& m) {
        if (OnNote) OnNote(this, m);
    };
    ownState_.OnDisplayEvent = [this](TKeyboardState*, const TShortMessage& m) {
        if (OnDisplayEvent) OnDisplayEvent(this, m);
    };
    SetState(nullptr);
    hook_.OnKey = [this](TKeyboardHook*, const TKeyData& data, bool& handled) { KeyHandler(data, handled); };
    InstallAccessibleControls();
    setAccessibleName("Piano keyboard");
    UpdateLimits();
    resize(100, 30);
    ApplyBaseNote(baseNote_, true);
}

TPianoKeyboard::~TPianoKeyboard() { SetState(nullptr); }

void TPianoKeyboard::SetState(TKeyboardState* state) {
    state_->OnRedrawNote = nullptr;
    state_->OnRepaint = nullptr;
    state_ = state ? state : &ownState_;
    state_->OnRedrawNote = [this](int note) {
        RedrawNote(note);
        if (note == focusNote_) TellFocusNote();
    };
    state_->OnRepaint = [this] { update(); };
    update();
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
