// The two manuals on the computer keyboard: octave, the keys that play C, and key events.
#include "widgets/PianoKeyboard.h"

#include <QApplication>
#include <QLineEdit>

// --- computer keyboard ------------------------------------------------------

void TPianoKeyboard::SetKeyOctave(int octave) {
    octave = std::clamp(octave, 0, 10);
    if (octave == keyOctave_) return;
    // A key released later would compute another note: end the notes first.
    state_->ReleaseExternalNotes();
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
    const int velocity = d.keyUp ? 0 : state_->GestureVelocity(shift & ssShift);
    state_->PlayNote(state_->Channel(), note, velocity, true);
    if (OnNoteHover) OnNoteHover(this, DisplayName(note));
    handled = !inLineEdit;
}
