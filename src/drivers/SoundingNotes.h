#pragma once
// The notes an output port has left sounding, so that a reset can end them
// as the system's own reset does: every sounding note off, then sustain off
// on every channel.
#include "midi/ShortMessage.h"
#include "midi/MidiOutDriver.h"

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

    // What every output driver does with a short message around its own
    // send(status, data1, data2) → result: a data byte without a status is
    // nothing to send, system exclusive is no short message, data bytes lose
    // their top bit, and what went out is followed.
    template <typename Send>
    MMRESULT SendShort(const TShortMessage& m, Send send) {
        if (m.status < 0x80) return MMSYSERR_NOERROR; // no running status to continue
        if (ShortMessage::Length(m.status) == 0) return MMSYSERR_INVALPARAM;
        const std::uint8_t data1 = m.data1 & 0x7F, data2 = m.data2 & 0x7F;
        const MMRESULT result = send(m.status, data1, data2);
        if (result == MMSYSERR_NOERROR) Sent(m.status, data1, data2);
        return result;
    }
    // Sends a reset's messages; the first failure is the result.
    template <typename Send>
    MMRESULT SendReset(Send send) {
        MMRESULT failure = MMSYSERR_NOERROR;
        for (const TShortMessage& m : Reset()) {
            const MMRESULT result = send(m.status, m.data1, m.data2);
            if (failure == MMSYSERR_NOERROR) failure = result;
        }
        return failure;
    }

private:
    std::bitset<16 * 128> notes_;
};
