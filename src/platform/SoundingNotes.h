#pragma once
// The notes an output port has left sounding, so that a reset can end them
// as the system's own reset does: every sounding note off, then sustain off
// on every channel.
#include "midi/ShortMessage.h"

#include <bitset>
#include <vector>

class TSoundingNotes {
public:
    // Follows one sent message.
    void Sent(std::uint8_t status, std::uint8_t note, std::uint8_t velocity) {
        const auto kind = ShortMessage::Kind(status);
        const std::size_t bit = static_cast<std::size_t>(ShortMessage::ChannelOf(status)) * 128 + (note & 0x7F);
        if (kind == ShortMessage::NoteOnStatus && velocity > 0) notes_.set(bit);
        else if (kind == ShortMessage::NoteOnStatus || kind == ShortMessage::NoteOffStatus) notes_.reset(bit);
    }
    // The messages of a reset, and forgets the notes.
    std::vector<TShortMessage> Reset() {
        std::vector<TShortMessage> messages;
        for (std::size_t bit = 0; bit < notes_.size(); ++bit)
            if (notes_.test(bit)) messages.push_back(ShortMessage::NoteOff(static_cast<int>(bit / 128), static_cast<int>(bit % 128)));
        for (int channel = 0; channel < 16; ++channel) messages.push_back(ShortMessage::ControlChange(channel, 64, 0));
        notes_.reset();
        return messages;
    }

private:
    std::bitset<16 * 128> notes_;
};
