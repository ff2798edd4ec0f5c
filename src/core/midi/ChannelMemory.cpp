#include "midi/ChannelMemory.h"

void TChannelMemory::Clear() {
    for (TChannel& c : channels_) {
        c.controllers.fill(-1);
        c.program = -1;
        c.bendLsb = c.bendMsb = -1;
    }
}

void TChannelMemory::Record(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    TChannel& c = channels_[status & 0x0F];
    data1 &= 0x7F;
    data2 &= 0x7F;
    switch (status & 0xF0) {
    case 0xB0:
        if (data1 < c.controllers.size()) c.controllers[data1] = data2;
        else if (data1 == 121) c.controllers.fill(-1); // reset all controllers
        break;
    case 0xC0: c.program = data1; break;
    case 0xE0:
        c.bendLsb = data1;
        c.bendMsb = data2;
        break;
    default: break;
    }
}

std::vector<TShortMessage> TChannelMemory::Replay() const {
    std::vector<TShortMessage> messages;
    for (std::uint8_t ch = 0; ch < channels_.size(); ++ch) {
        const TChannel& c = channels_[ch];
        for (std::uint8_t n = 0; n < c.controllers.size(); ++n)
            if (c.controllers[n] >= 0)
                messages.push_back({static_cast<std::uint8_t>(0xB0 | ch), n, static_cast<std::uint8_t>(c.controllers[n])});
        if (c.program >= 0) messages.push_back({static_cast<std::uint8_t>(0xC0 | ch), static_cast<std::uint8_t>(c.program), 0});
        if (c.bendLsb >= 0)
            messages.push_back({static_cast<std::uint8_t>(0xE0 | ch), static_cast<std::uint8_t>(c.bendLsb),
                                static_cast<std::uint8_t>(c.bendMsb)});
    }
    return messages;
}
