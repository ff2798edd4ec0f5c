#pragma once
// A read-only edit box that records the keys pressed while it has the focus
// into a key sequence and shows the sequence's text.
#include "instrument/KeySim.h"
#include "widgets/KeyboardHook.h"

#include <QLineEdit>

#include <functional>
#include <string>

class TKeyCaptureEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TKeyCaptureEdit(QWidget* parent = nullptr);

    std::function<void(TKeyCaptureEdit* sender, const TKeyData& data, bool& doAdd)> OnKeyEvent;
    bool WantTab = false;
    bool WantBackspace = false;
    bool WantSpecialChars = true;
    bool OnlyOneChar() const { return sequence_.OnlyOneChar(); }
    void SetOnlyOneChar(bool value) { sequence_.SetOnlyOneChar(value); }

    TKeySequence& Sequence() { return sequence_; }
    void Clear() { sequence_.Clear(); }
    void KeyHandler(const TKeyData& data, bool& handled);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Refresh();

    TKeySequence sequence_;
    TKeyboardHook hook_;
};
