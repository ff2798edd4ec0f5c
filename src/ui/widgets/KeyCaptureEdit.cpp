#include "widgets/KeyCaptureEdit.h"

TKeyCaptureEdit::TKeyCaptureEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    sequence_.OnChange = [this](TKeySequence*) { Refresh(); };
    hook_.OnKey = [this](TKeyboardHook*, const TKeyData& data, bool& handled) {
        if (hasFocus()) KeyHandler(data, handled);
    };
}

void TKeyCaptureEdit::Refresh() { setText(QString::fromStdString(sequence_.GetText())); }

void TKeyCaptureEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    hook_.Activate();
}

void TKeyCaptureEdit::focusOutEvent(QFocusEvent* event) {
    hook_.Deactivate();
    QLineEdit::focusOutEvent(event);
}

void TKeyCaptureEdit::KeyHandler(const TKeyData& d, bool& handled) {
    if (d.virtualKey == 9 && !WantTab) return; // Tab moves the focus
    handled = true;
    bool add = true;
    if (d.virtualKey == 8 && !WantBackspace) {
        add = false;
        if (!d.wasDown) sequence_.DeleteLast();
    }
    if (d.virtualKey >= 35 && d.virtualKey <= 40 && !WantSpecialChars) {
        add = false;
        handled = false; // the edit box moves its cursor
    }
    const int before = sequence_.Count();
    if (add) {
        if (OnKeyEvent) OnKeyEvent(this, d, add);
        if (add) sequence_.AddKeyData(d);
    }
    if (handled && sequence_.Count() == before) Refresh();
}
