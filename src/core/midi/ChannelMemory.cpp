#include "midi/ChannelMemory.h"

void TChannelMemory::Clear() {
    for (TChannel& c : channels_) {
        c.controllers.fill(-1);
        c.program = -1;
        c.bend.reset();
    }
}

void TChannelMemory::Record(const TShortMessage& m) {
    if (!m.IsChannelMessage()) return;
    TChannel& c = channels_[static_cast<std::size_t>(m.Channel())];
    const std::uint8_t data1 = m.data1 & 0x7F, data2 = m.data2 & 0x7F;
    if (m.IsControlChange()) {
        if (data1 < c.controllers.size()) c.controllers[data1] = data2;
        else if (data1 == 121) c.controllers.fill(-1); // reset all controllers
    } else if (m.IsProgramChange()) {
        c.program = data1;
    } else if (m.IsPitchBend()) {
        c.bend = ShortMessage::JoinSigned14(data1, data2);
    }
}

std::vector<TShortMessage> TChannelMemory::Replay() const {
    std::vector<TShortMessage> messages;
    for (int ch = 0; ch < static_cast<int>(channels_.size()); ++ch) {
        const TChannel& c = channels_[static_cast<std::size_t>(ch)];
        for (int n = 0; n < static_cast<int>(c.controllers.size()); ++n)
            if (c.controllers[static_cast<std::size_t>(n)] >= 0)
                messages.push_back(ShortMessage::ControlChange(ch, n, c.controllers[static_cast<std::size_t>(n)]));
        if (c.program >= 0) messages.push_back(ShortMessage::ProgramChange(ch, c.program));
        if (c.bend) messages.push_back(ShortMessage::PitchBend(ch, *c.bend));
    }
    return messages;
}
