#include "instrument/Instrument.h"

#include "midi/MidiEvent.h"

TInstrument::TInstrument(TMidiOutDriver& out, TMidiInDriver& in, TMailboxFactory mailboxes)
    : output_(out, openDevices_), input_(in, openDevices_, std::move(mailboxes)) {
    keyboard_.OnNote = [this](TKeyboardState*, const TShortMessage& m) { Play(m); };
    keyboard_.OnDisplayEvent = [this](TKeyboardState*, const TShortMessage& m) { Show(m); };
}

TInstrument::~TInstrument() = default;

template <typename F>
void TInstrument::Tell(F tell) {
    const std::vector<TInstrumentListener*> listeners = listeners_;
    for (TInstrumentListener* listener : listeners)
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end()) tell(*listener);
}

void TInstrument::Play(const TShortMessage& m) {
    Send(m);
    Show(m);
    Tell([&m](TInstrumentListener& l) { l.MessagePlayed(m); });
}

void TInstrument::Send(const TShortMessage& m) {
    try {
        output_.SendShortMsg(m);
    } catch (const EMidiError& e) {
        Tell([&e](TInstrumentListener& l) { l.SendFailed(e.what()); });
    }
}

void TInstrument::Show(const TShortMessage& message) {
    const TShortMessage m{message.status, static_cast<std::uint8_t>(message.data1 & 0x7F),
                          static_cast<std::uint8_t>(message.data2 & 0x7F)};
    if (m.IsControlChange()) {
        receivedBank_.Controller(m.data1, m.data2);
        if (m.data1 == mouseWheelController_) mouseWheelValue_ = m.data2;
    } else if (m.IsProgramChange()) {
        receivedBank_.ProgramChange(programBank_, m.data1);
    }
    Tell([&m](TInstrumentListener& l) { l.MessageShown(m); });
    if (m.IsProgramChange()) Tell([](TInstrumentListener& l) { l.ProgramBankChanged(); });
}

void TInstrument::ReadInput(bool thru) {
    // What is queued now, not what keeps arriving meanwhile: a sender that never
    // pauses must not hold the window here. Later records have woken it again.
    for (int budget = input_.EventCount(); budget > 0 && input_.EventCount() >= 1; --budget) {
        std::unique_ptr<TMidiEvent> event = input_.GetEvent();
        if (!event) break;
        if (event->IsLong()) continue; // system exclusive is dropped
        const TShortMessage m = ShortMessage::AsNoteOn(event->message);
        if (thru) {
            Tell([&m](TInstrumentListener& l) { l.ThruReceived(m); });
            keyboard_.PlayMessage(m, true);
        }
        if (!m.IsNoteOn()) Show(m);
        else if (!thru) Tell([&m](TInstrumentListener& l) { l.NoteReceived(m); });
    }
}

bool TInstrument::SendProgramAndBank(int channel) {
    const std::vector<TShortMessage> messages = programBank_.SendProgramAndBank(channel);
    for (const TShortMessage& m : messages) Send(m);
    return !messages.empty();
}

void TInstrument::SetPatchSet(std::unique_ptr<TPatchSet> set) {
    currentPatch_ = nullptr;
    patchSet_ = std::move(set);
}

void TInstrument::SetMouseWheelController(int code, int startValue) {
    if (code == mouseWheelController_) return;
    mouseWheelController_ = code;
    mouseWheelValue_ = startValue;
}

bool TInstrument::WheelTurned(int delta, bool shift, int pitchPosition, int channel) {
    const auto message = MouseWheel::Step(mouseWheelController_, delta, shift, MouseWheelSensitivity, pitchPosition,
                                          mouseWheelValue_, channel);
    if (!message) return false;
    Play(*message);
    return true;
}

void TInstrument::JoystickXYMove(int joystick, const TAxisRanges& ranges, int x, int y, unsigned buttons, int channel) {
    for (const TShortMessage& m : joystickMapper_.XYMove(joystickTable_, joystick, ranges, x, y, buttons, channel)) Play(m);
}

void TInstrument::JoystickZMove(int joystick, const TAxisRanges& ranges, int z, unsigned buttons, int channel) {
    for (const TShortMessage& m : joystickMapper_.ZMove(joystickTable_, joystick, ranges, z, buttons, channel)) Play(m);
}

bool TInstrument::StartPanic() {
    if (PanicRunning()) return false;
    panicChannel_ = 0;
    return true;
}

int TInstrument::PanicStep() {
    if (panicChannel_ < 0 || panicChannel_ >= Panic::Channels) {
        EndPanic();
        return -1;
    }
    try {
        for (const TShortMessage& m : Panic::ChannelMessages(panicChannel_)) output_.SendShortMsg(m);
    } catch (const std::exception& e) {
        EndPanic();
        Tell([&e](TInstrumentListener& l) { l.SendFailed(e.what()); });
        return -1;
    }
    return Panic::PercentAfter(panicChannel_++);
}
