#include "instrument/ProgramBank.h"

#include "patches/PatchSet.h"

void TProgramBank::SetBank(int which, int value) {
    if (value == None) {
        ClearBank();
        return;
    }
    (which == Msb ? msb_ : lsb_) = value;
}

void TProgramBank::UserBankChange(int which, int value) {
    if (value < 0) {
        ClearBank();
        return;
    }
    (which == Msb ? msb_ : lsb_) = value;
    int& other = which == Msb ? lsb_ : msb_;
    if (other == None) other = 0;
}

std::string TProgramBank::BankHint() const {
    return msb_ == None ? std::string() : "Bank: " + std::to_string(msb_ * 128 + lsb_);
}

std::vector<TShortMessage> TProgramBank::SendProgramAndBank(int channel) {
    std::vector<TShortMessage> messages;
    if (program_ < 0) {
        program_ = None;
        ClearBank();
        return messages;
    }
    if (msb_ > None || lsb_ > None) {
        if (msb_ == None) msb_ = 0;
        if (lsb_ == None) lsb_ = 0;
        messages.push_back(ShortMessage::ControlChange(channel, 0, msb_));
        messages.push_back(ShortMessage::ControlChange(channel, 32, lsb_));
    } else {
        ClearBank();
    }
    messages.push_back(ShortMessage::ProgramChange(channel, program_));
    return messages;
}

bool TProgramBank::ApplyPatch(const TPatchProgram& patch, bool send) {
    program_ = patch.Program();
    SetBank(Msb, patch.MSB());
    SetBank(Lsb, patch.LSB());
    return (send && patch.Program() >= 0) || patch.MSB() >= 0 || patch.LSB() >= 0;
}

void TReceivedBank::Controller(int controller, int value) {
    if (controller == 0) msb_ = value;
    else if (controller == 32) lsb_ = value;
}

void TReceivedBank::ProgramChange(TProgramBank& state, int program) {
    if (msb_ != NotSeen && lsb_ != NotSeen) {
        state.SetBank(TProgramBank::Msb, msb_);
        state.SetBank(TProgramBank::Lsb, lsb_);
    }
    state.SetProgram(program);
    msb_ = lsb_ = NotSeen;
}

std::vector<TShortMessage> Panic::ChannelMessages(int channel) {
    std::vector<TShortMessage> messages;
    messages.reserve(130);
    for (int note = 0; note < 128; ++note) messages.push_back(ShortMessage::NoteOff(channel, note));
    messages.push_back(ShortMessage::ControlChange(channel, 120, 0));
    messages.push_back(ShortMessage::ControlChange(channel, 123, 0));
    return messages;
}

int Panic::PercentAfter(int channel) {
    // (channel + 1) / 16 * 100 in quarters: ties go to the even neighbour.
    const int quarters = (channel + 1) * 25;
    int percent = quarters / 4;
    const int rest = quarters % 4;
    if (rest > 2 || (rest == 2 && percent % 2 == 1)) ++percent;
    return percent;
}
