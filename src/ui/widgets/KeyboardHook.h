#pragma once
// Sees the keys of all the program's windows before the focused widget and
// may consume them: an application-wide event filter, installed while at
// least one hook object is active.
#include "instrument/KeyData.h"
#include "instrument/KeySim.h"

#include <functional>

#include <Qt>

class QKeyEvent;

class TKeyboardHook {
public:
    TKeyboardHook() = default;
    ~TKeyboardHook();
    TKeyboardHook(const TKeyboardHook&) = delete;
    TKeyboardHook& operator=(const TKeyboardHook&) = delete;

    std::function<void(TKeyboardHook* sender, const TKeyData& data, bool& handled)> OnKey;

    void Activate();
    void Deactivate();
    bool IsActive() const;
};

// The key data of a Qt key event: the set-1 scan code from the native scan
// code (the X11 or Wayland key code minus 8), auto-repeats as keys that were down.
TKeyData KeyDataFromEvent(const QKeyEvent& event);

// Shift, Ctrl and Alt as TShiftFlag bits; AltGr counts as Ctrl+Alt.
int ShiftStateOf(Qt::KeyboardModifiers modifiers);
// The live state of Shift, Ctrl and Alt as TShiftFlag bits.
int GetShiftState();

// Replays key strokes as synthetic key events to the program's focused widget.
TKeyStrokeSender QtKeyStrokes();
