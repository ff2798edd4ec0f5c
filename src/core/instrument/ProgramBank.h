#pragma once
// The sound chosen by number: program and the two bank-select bytes, with
// the messages that send them, and the bank bytes seen in incoming messages.
#include "midi/ShortMessage.h"

#include <string>
#include <vector>

class TPatchProgram;

class TProgramBank {
public:
    static constexpr int None = -1;
    enum TByte { Msb = 1, Lsb = 2 };

    int Program() const { return program_; }
    int Byte(int which) const { return which == Msb ? msb_ : lsb_; }
    int BankMsb() const { return msb_; }
    int BankLsb() const { return lsb_; }
    bool HasBank() const { return msb_ != None; }

    void SetProgram(int program) { program_ = program; }
    // The three values as stored, unchecked: the next send puts them right.
    void Restore(int program, int msb, int lsb) {
        program_ = program;
        msb_ = msb;
        lsb_ = lsb;
    }
    // Shows a byte as given; none clears both.
    void SetBank(int which, int value);
    void ClearBank() { msb_ = lsb_ = None; }
    // A byte the user set: none clears both; a byte set while the other is
    // none sets that one to 0.
    void UserBankChange(int which, int value);

    // "Bank: " and the 14-bit bank number, or empty without a bank.
    std::string BankHint() const;

    // Bank select MSB and LSB when a bank is set (a missing byte becomes 0),
    // then the program change; nothing, and no bank, when the program is none.
    std::vector<TShortMessage> SendProgramAndBank(int channel);

    // Takes a patch's program and bank; true when they are to be sent: the
    // caller asked for it and the patch has a program, or it has a bank byte.
    bool ApplyPatch(const TPatchProgram& patch, bool send);

private:
    int program_ = None;
    int msb_ = None;
    int lsb_ = None;
};

// The bank bytes of controllers 0 and 32 seen since the last program change.
class TReceivedBank {
public:
    void Controller(int controller, int value);
    // A program change takes the bank only when both bytes were seen; both are forgotten.
    void ProgramChange(TProgramBank& state, int program);

private:
    static constexpr int NotSeen = 128;
    int msb_ = NotSeen;
    int lsb_ = NotSeen;
};

namespace Panic {
inline constexpr int Channels = 16;
// Every note off as a note on with velocity 0, then all sound off and all notes off.
std::vector<TShortMessage> ChannelMessages(int channel);
// The progress after a channel, rounded half to even: 6, 12, 19, ... 100.
int PercentAfter(int channel);
} // namespace Panic
