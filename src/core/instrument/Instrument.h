#pragma once
// The instrument: what the window's controls play goes out here, and what
// comes in is handed back to them. It owns the output and input ports, the
// keyboard's state (which the piano keyboard draws and plays into), the
// program and bank, the patch set and its current patch, Panic, and the mouse
// wheel and joysticks as controllers. Messages
// travel as TShortMessage; only the driver below the port turns them into bytes.
#include "instrument/ControllerInputs.h"
#include "instrument/KeyboardState.h"
#include "instrument/ProgramBank.h"
#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"
#include "patches/PatchSet.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// What the instrument tells those who listen to it; each listener takes what
// concerns it and leaves the rest.
class TInstrumentListener {
public:
    virtual ~TInstrumentListener() = default;
    // A message sent, or received and not played thru: the controls show it.
    virtual void MessageShown(const TShortMessage&) {}
    // A message the user played went out.
    virtual void MessagePlayed(const TShortMessage&) {}
    // A message received while thru is on, before the keyboard plays it on.
    virtual void ThruReceived(const TShortMessage&) {}
    // A note on (velocity 0 for off) received while thru is off.
    virtual void NoteReceived(const TShortMessage&) {}
    // The program or bank changed by a message received.
    virtual void ProgramBankChanged() {}
    // A send failed; the text says why.
    virtual void SendFailed(const std::string&) {}
};

class TInstrument {
public:
    TInstrument(TMidiOutDriver& out, TMidiInDriver& in, TMailboxFactory mailboxes = {});
    ~TInstrument();
    TInstrument(const TInstrument&) = delete;
    TInstrument& operator=(const TInstrument&) = delete;

    // Listeners are told in the order they came; one removes itself before it goes.
    void AddListener(TInstrumentListener* listener) { listeners_.push_back(listener); }
    void RemoveListener(TInstrumentListener* listener) { std::erase(listeners_, listener); }

    // What the keyboard plays goes out through Play, what it shows through Show.
    TKeyboardState& Keyboard() { return keyboard_; }
    const TKeyboardState& Keyboard() const { return keyboard_; }

    TMidiOutput& Output() { return output_; }
    TMidiInput& Input() { return input_; }

    // The one path out: sent, then shown and told as played.
    void Play(const TShortMessage& m);
    // Sent only; a failure goes to the listener, never as an exception.
    void Send(const TShortMessage& m);
    // What the controls show of a message: bank bytes and program changes are
    // taken into the program and bank.
    void Show(const TShortMessage& m);

    // Reads what the input port has queued now, not what keeps arriving meanwhile.
    void ReadInput(bool thru);

    TProgramBank& ProgramBank() { return programBank_; }
    const TProgramBank& ProgramBank() const { return programBank_; }
    // Sends the program and bank on a channel; false when there was nothing to send.
    bool SendProgramAndBank(int channel);

    // Takes a loaded patch set (or none); the current patch goes with the old one.
    void SetPatchSet(std::unique_ptr<TPatchSet> set);
    const TPatchSet* PatchSet() const { return patchSet_.get(); }
    TPatchSet* PatchSet() { return patchSet_.get(); }
    TPatchProgram* CurrentPatch() const { return currentPatch_; }
    void SetCurrentPatch(TPatchProgram* patch) { currentPatch_ = patch; }

    // The mouse wheel as a controller: a controller, the pitch wheel or nothing.
    int MouseWheelController() const { return mouseWheelController_; }
    // A new code goes on from the value its control shows now.
    void SetMouseWheelController(int code, int startValue);
    int MouseWheelValue() const { return mouseWheelValue_; }
    int MouseWheelSensitivity = 4;
    // Plays one wheel step (120 a notch) on a channel; false when the wheel controls nothing.
    bool WheelTurned(int delta, bool shift, int pitchPosition, int channel);

    // Two joysticks as controllers, through their table.
    TJoystickTable& JoystickTable() { return joystickTable_; }
    const TJoystickTable& JoystickTable() const { return joystickTable_; }
    void JoystickXYMove(int joystick, const TAxisRanges& ranges, int x, int y, unsigned buttons, int channel);
    void JoystickZMove(int joystick, const TAxisRanges& ranges, int z, unsigned buttons, int channel);

    // Panic silences one channel per step; the caller paces the steps.
    bool PanicRunning() const { return panicChannel_ >= 0; }
    // False while one runs already.
    bool StartPanic();
    // Silences the next channel and gives its progress in percent, or -1 when
    // every channel is done or a send failed (the listener heard why).
    int PanicStep();
    void EndPanic() { panicChannel_ = -1; }

private:
    TOpenMidiDevices openDevices_; // before the ports, which use it
    TMidiOutput output_;
    TMidiInput input_;
    // Tells every listener; one may remove itself (or another) meanwhile.
    template <typename F>
    void Tell(F tell);

    std::vector<TInstrumentListener*> listeners_;
    TKeyboardState keyboard_;
    TProgramBank programBank_;
    TReceivedBank receivedBank_;
    std::unique_ptr<TPatchSet> patchSet_;
    TPatchProgram* currentPatch_ = nullptr;
    int panicChannel_ = -1; // the next channel to silence while Panic runs
    int mouseWheelController_ = 1;
    int mouseWheelValue_ = 0;
    TJoystickTable joystickTable_;
    TJoystickMapper joystickMapper_;
};
