// The focus cursor: arrow keys move it, Space plays its note while held.
#include "widgets/PianoKeyboard.h"

#include "widgets/AccessibleControls.h"

#include <QHideEvent>
#include <QKeyEvent>

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
    state_->ReleaseExternalNotes();
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
        state_->PlayNote(state_->Channel(), focusNote_, state_->GestureVelocity(false), true);
    }
    TellFocusNote();
    update();
}

std::string TPianoKeyboard::FocusNoteText() const {
    return DisplayName(focusNote_) + (state_->IsPressed(focusNote_) ? ", sounding" : "");
}

void TPianoKeyboard::TellFocusNote() { TellValueChanged(this, focusNote_, true); }

void TPianoKeyboard::ReleaseFocusNote() {
    if (focusNoteHeld_ < 0) return;
    const int note = focusNoteHeld_;
    focusNoteHeld_ = -1;
    state_->PlayNote(state_->Channel(), note, 0, true);
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
            state_->PlayNote(state_->Channel(), focusNote_, state_->GestureVelocity(mods == Qt::ShiftModifier), true);
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
    state_->ReleaseExternalNotes();
    ReleaseAll();
}
