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

    // The message as every output port puts it on the wire: a data byte
    // without a status is nothing to send (status 0), system exclusive is no
    // short message (raises), data bytes lose their top bit.
    static TShortMessage Wire(const TShortMessage& m) {
        if (m.status < 0x80) return {};
        if (ShortMessage::Length(m.status) == 0) throw EMidiError(MidiFailure::NotShort);
        return {m.status, static_cast<std::uint8_t>(m.data1 & 0x7F), static_cast<std::uint8_t>(m.data2 & 0x7F)};
    }
    // Writes the messages that silence the port with write(message), which
    // raises EMidiError; every one is tried, the first failure raised after.
    template <typename Write>
    void SendSilence(Write write) {
        std::optional<EMidiError> failure;
        for (const TShortMessage& m : Silence()) {
            try {
                write(m);
            } catch (const EMidiError& e) {
                if (!failure) failure = e;
            }
        }
        if (failure) throw *failure;
    }

private:
    std::bitset<16 * 128> notes_;
};

// An output port that writes one message at a time: it puts each on the
// wire as every port does and follows what sounds, so that silencing ends it.
class TWrittenOutPort : public TMidiOutPort {
public:
    void Send(const TShortMessage& message) final {
        const TShortMessage m = TSoundingNotes::Wire(message);
        if (m.status == 0) return;
        Write(m);
        sounding_.Sent(m);
    }
    void Silence() final {
        sounding_.SendSilence([this](const TShortMessage& m) { Write(m); });
    }

protected:
    // One message as it goes on the wire; raises EMidiError.
    virtual void Write(const TShortMessage& m) = 0;

private:
    TSoundingNotes sounding_;
};
