// Mouse gestures on the piano keyboard: playing, holding, dragging the base note.
#include "widgets/PianoKeyboard.h"

#include <QMouseEvent>

#include <algorithm>

using namespace KeyGeometry;

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
    const bool hand = ((shift & ssAlt) && buttonsDown_.empty()) || state_->MouseMode() == TMouseMode::BaseNoteDrag;
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
        state_->MouseMode() == TMouseMode::Idle) {
        addButton(button);
        dragStartX_ = x;
        dragStartOffset_ = scrollOffset_;
        state_->SetMouseMode(TMouseMode::BaseNoteDrag);
        UpdateCursor(shift);
        return;
    }
    if (state_->MouseMode() == TMouseMode::BaseNoteDrag) return;
    int note = NoteAt(x, y);
    noteUnderMouse_ = note;
    if (OnMousePress) OnMousePress(this, note, button, shift);
    if (note < 0 || note > 127) return;
    const int velocity = state_->GestureVelocity(shift & ssShift);
    if (button == TMouseButton::Left || (button == TMouseButton::Right && state_->EnableSpecialMode)) {
        const TMouseMode oldMode = state_->MouseMode();
        addButton(button);
        state_->SetMouseMode(button == TMouseButton::Left ? TMouseMode::Normal : TMouseMode::Hold);
        if (oldMode == TMouseMode::Idle) {
            state_->PlayNote(state_->Channel(), note, velocity, true);
            state_->PlayingNote = note;
            state_->PlayingVelocity = velocity;
        }
        state_->StartGesture(x, y);
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
    state_->ReleaseAll();
    ForgetGestures();
}

void TPianoKeyboard::ResetAll() {
    state_->ResetAll();
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
    if (state_->MouseMode() == TMouseMode::BaseNoteDrag) {
        DragBaseNote(pos.x());
        return;
    }
    const TMouseMode mode = state_->MouseMode();
    if (mode == TMouseMode::Hold) state_->MoveControllers(pos.x(), pos.y());
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
        const int velocity = state_->GestureVelocity(shift & ssShift);
        state_->PlayNote(state_->Channel(), state_->PlayingNote, 0, true); // glissando: off before on
        state_->PlayNote(state_->Channel(), played, velocity, true);
        state_->PlayingNote = played;
        state_->PlayingVelocity = velocity;
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
    if (state_->MouseMode() == TMouseMode::BaseNoteDrag) {
        DragBaseNote(pos.x());
    } else {
        const bool held = (shift & ssCtrl) && buttonsDown_.empty();
        const bool release = !held && buttonsDown_.empty();
        state_->SetHeld(held);
        int note = release ? state_->PlayingNote : NoteAt(pos.x(), pos.y());
        if (OnMouseRelease) OnMouseRelease(this, note, button, shift);
        if (release) {
            state_->PlayNote(state_->Channel(), note, 0, true);
            state_->PlayingNote = note;
            if (state_->MouseMode() == TMouseMode::Hold) state_->RecentrePitchBend();
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
        state_->SetMouseMode(TMouseMode::Idle);
}

void TPianoKeyboard::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (OnNoteHover) OnNoteHover(this, DisplayName(lastHoveredNote_));
}

void TPianoKeyboard::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (OnNoteHover) OnNoteHover(this, "");
}
