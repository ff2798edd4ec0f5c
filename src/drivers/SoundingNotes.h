#pragma once
// The notes an output port has left sounding, so that silencing it can end
// them as the system's own reset does: every sounding note off, then sustain
// off on every channel.
#include "midi/MidiDriver.h"

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

class TSoundingNotes {
public:
    // Follows one sent message.
    void Sent(const TShortMessage& m) {
        const std::size_t bit = static_cast<std::size_t>(m.Channel()) * 128 + (m.data1 & 0x7F);
        if (m.IsNoteOn() && m.data2 > 0) notes_.set(bit);
        else if (m.IsNote()) notes_.reset(bit);
    }
    // The messages that silence the port, and forgets the notes.
    std::vector<TShortMessage> Silence() {
        std::vector<TShortMessage> messages;
        for (std::size_t bit = 0; bit < notes_.size(); ++bit)
            if (notes_.test(bit)) messages.push_back(ShortMessage::NoteOff(static_cast<int>(bit / 128), static_cast<int>(bit % 128)));
        for (int channel = 0; channel < 16; ++channel) messages.push_back(ShortMessage::ControlChange(channel, 64, 0));
        notes_.reset();
        return messages;
    }

    // What every output port does around its own write(bytes, length), which
    // raises EMidiError: a data byte without a status is nothing to send,
    // system exclusive is no short message, data bytes lose their top bit,
    // and what went out is followed.
    template <typename Write>
    void Send(const TShortMessage& message, Write write) {
        if (message.status < 0x80) return; // no running status to continue
        const int length = ShortMessage::Length(message.status);
        if (length == 0) throw EMidiError(MidiFailure::NotShort);
        const TShortMessage m{message.status, static_cast<std::uint8_t>(message.data1 & 0x7F),
                              static_cast<std::uint8_t>(message.data2 & 0x7F)};
        const std::uint8_t bytes[3] = {m.status, m.data1, m.data2};
        write(bytes, static_cast<std::size_t>(length));
        Sent(m);
    }
    // Writes the messages that silence the port; every one is tried, the first failure raised.
    template <typename Write>
    void SendSilence(Write write) {
        std::optional<EMidiError> failure;
        for (const TShortMessage& m : Silence()) {
            const std::uint8_t bytes[3] = {m.status, m.data1, m.data2};
            try {
                write(bytes, static_cast<std::size_t>(ShortMessage::Length(m.status)));
            } catch (const EMidiError& e) {
                if (!failure) failure = e;
            }
        }
        if (failure) throw *failure;
    }

private:
    std::bitset<16 * 128> notes_;
};
