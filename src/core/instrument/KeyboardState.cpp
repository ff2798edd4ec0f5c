#include "instrument/KeyboardState.h"

#include "midi/ShortMessage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

const std::vector<int>& ChordIntervals(TChord chord) {
    static const std::vector<int> tables[] = {
        {},            // None
        {4, 7},        // Major
        {3, 7},        // Minor
        {4, 7, 10},    // Major7
        {3, 7, 10},    // Minor7
        {7},           // Fifths
        {12},          // Octave
        {7, 12, -12},  // Power
        {},            // chCustom: the custom intervals
    };
    return tables[static_cast<int>(chord)];
}

int GestureVelocity(int velocity, float shiftFactor, bool shift) {
    if (!shift) return velocity;
    long v = std::lround(static_cast<double>(velocity) * static_cast<double>(shiftFactor));
    return static_cast<int>(std::clamp(v, 0L, 127L));
}

void TKeyboardState::Redraw(int note) {
    if (OnRedrawNote) OnRedrawNote(note);
}

void TKeyboardState::SendNote(int channel, int note, int velocity, bool local) {
    const bool transposed = local || transposeThru_;
    int shown = note;
    if (displayTransposed_ && transposed) shown = note + transpose_;
    if (shown < 0 || shown > 127) return;
    const int sent = !displayTransposed_ && transposed ? shown + transpose_ : shown;
    const bool sends = OnNote && sent >= 0 && sent <= 127;
    if (sends) {
        const TShortMessage m = ShortMessage::NoteOn(channel, sent, velocity);
        OnNote(this, m);
    }
    if (recording_) recording_->push_back({static_cast<std::uint8_t>(channel), sends ? sent : -1, shown});
    CountKey(shown, local, velocity >= 1);
}

void TKeyboardState::CountKey(int shown, bool local, bool down) {
    int& counter = (local ? local_ : external_)[static_cast<std::size_t>(shown)];
    if (down) ++counter;
    else if (counter > 0) --counter;
    if (local_[static_cast<std::size_t>(shown)] + external_[static_cast<std::size_t>(shown)] <= 1) Redraw(shown);
}

void TKeyboardState::PlayNote(int channel, int note, int velocity, bool local) {
    SendNote(channel, note, velocity, local);
    if (chord_ == TChord::Custom) {
        for (std::int8_t interval : customChord_) {
            if (interval == 0) break;
            SendNote(channel, note + interval, velocity, local);
        }
        return;
    }
    for (int interval : ChordIntervals(chord_)) SendNote(channel, note + interval, velocity, local);
}

void TKeyboardState::PlayMessage(const TShortMessage& m, bool useMessageChannel) {
    if (!m.IsChannelMessage()) return;
    const int channel = useMessageChannel ? m.Channel() : channel_;
    const int note = m.data1 & 0x7F;
    const int velocity = m.Velocity();
    switch (m.Kind()) {
    case ShortMessage::NoteOnStatus:
    case ShortMessage::NoteOffStatus: {
        const int key = m.Channel() * 128 + note;
        if (velocity > 0) {
            TThruStrike strike;
            recording_ = &strike;
            PlayNote(channel, note, velocity, false);
            recording_ = nullptr;
            thruHeld_[key].push_back(std::move(strike));
            break;
        }
        auto held = thruHeld_.find(key);
        if (held == thruHeld_.end()) {
            PlayNote(channel, note, 0, false); // its note on did not pass here
            break;
        }
        EndThruStrike(held->second.front());
        held->second.pop_front();
        if (held->second.empty()) thruHeld_.erase(held);
        break;
    }
    default:
        if (OnNote) OnNote(this, {m.status, m.data1, static_cast<std::uint8_t>(m.data2 & 0x7F)});
        break;
    }
}

void TKeyboardState::EndThruStrike(const TThruStrike& strike) {
    for (const TThruNote& n : strike) {
        if (n.sent >= 0 && OnNote) {
            const TShortMessage m = ShortMessage::NoteOn(n.channel, n.sent, 0);
            OnNote(this, m);
        }
        CountKey(n.shown, false, false);
    }
}

void TKeyboardState::ReleaseThruNotes() {
    if (thruHeld_.empty()) return;
    std::map<int, std::deque<TThruStrike>> held;
    held.swap(thruHeld_);
    for (const auto& [key, strikes] : held)
        for (const TThruStrike& strike : strikes) EndThruStrike(strike);
    if (OnRepaint) OnRepaint();
}

void TKeyboardState::MarkExternalNote(int note, int velocity) {
    const std::size_t n = static_cast<std::size_t>(note & 0x7F);
    if (velocity >= 1) ++external_[n];
    else if (external_[n] > 0) --external_[n];
    if (local_[n] + external_[n] <= 1) Redraw(static_cast<int>(n));
}

void TKeyboardState::SetControllerValue(int controller, int value) {
    if (controller >= 128) return;
    if (controller == controllers_[0]) values_[0] = value & 0x7F;
    if (controller == controllers_[1]) values_[1] = value & 0x7F;
}

void TKeyboardState::ReleaseLocalNotes() {
    const int offset = displayTransposed_ ? transpose_ : 0;
    for (int note = 0; note < 128; ++note) {
        if (local_[static_cast<std::size_t>(note)] <= 0) continue;
        SendNote(channel_, note - offset, 0, true); // one note off per key, whatever the count
        if (local_[static_cast<std::size_t>(note)] != 0) {
            local_[static_cast<std::size_t>(note)] = 0;
            if (external_[static_cast<std::size_t>(note)] <= 1) Redraw(note);
        }
    }
}

void TKeyboardState::SendController(int index, int value) {
    const int controller = controllers_[static_cast<std::size_t>(index)];
    const TShortMessage m = controller == ControllerCode::PitchBend ? ShortMessage::PitchBend(channel_, value)
                                                              : ShortMessage::ControlChange(channel_, controller, value);
    if (OnNote) OnNote(this, m);
    if (OnDisplayEvent) OnDisplayEvent(this, m);
}

void TKeyboardState::RecentrePitchBend() {
    for (int i = 0; i < 2; ++i) {
        if (controllers_[static_cast<std::size_t>(i)] != ControllerCode::PitchBend ||
            values_[static_cast<std::size_t>(i)] == 0)
            continue;
        SendController(i, 0);
        values_[static_cast<std::size_t>(i)] = 0;
    }
}

void TKeyboardState::ReleaseAll() {
    ReleaseLocalNotes();
    RecentrePitchBend();
    values_ = {0, 0};
    savedHeld_ = held_;
    held_ = false;
    mode_ = TMouseMode::Idle;
    if (OnRepaint) OnRepaint();
}

void TKeyboardState::ResetAll() {
    external_.fill(0);
    ReleaseAll();
}

void TKeyboardState::ClearExternalMarks() {
    external_.fill(0);
    if (OnRepaint) OnRepaint();
}

void TKeyboardState::ReleaseExternalNotes() {
    const int offset = displayTransposed_ && transposeThru_ ? transpose_ : 0;
    for (int note = 0; note < 128; ++note) {
        if (external_[static_cast<std::size_t>(note)] <= 0) continue;
        SendNote(channel_, note - offset, 0, false);
        external_[static_cast<std::size_t>(note)] = 0;
    }
    if (OnRepaint) OnRepaint();
}

void TKeyboardState::RestrikeHeldNote() {
    if (!savedHeld_) return;
    PlayNote(channel_, PlayingNote, PlayingVelocity, true);
    held_ = true;
    mode_ = TMouseMode::Idle;
    savedHeld_ = false;
}

void TKeyboardState::SetCustomChord(const std::vector<int>& intervals, bool select) {
    customChord_.fill(0);
    std::size_t count = 0;
    for (int interval : intervals) {
        if (interval == 0 || count == customChord_.size()) break;
        auto copied = customChord_.begin() + static_cast<std::ptrdiff_t>(count);
        if (std::find(customChord_.begin(), copied, interval) != copied) continue;
        customChord_[count++] = static_cast<std::int8_t>(interval);
    }
    if (select) SetChord(TChord::Custom);
}

void TKeyboardState::SetChannel(int channel) {
    ResetAll();
    channel_ = static_cast<std::uint8_t>(channel & 0x0F);
}

void TKeyboardState::SetChord(TChord chord) {
    savedHeld_ = held_;
    held_ = false;
    ReleaseLocalNotes();
    chord_ = chord;
    RestrikeHeldNote();
}

void TKeyboardState::SetUpDownController(int controller) {
    controllers_[0] = controller;
    values_[0] = 0;
}

void TKeyboardState::SetLeftRightController(int controller) {
    controllers_[1] = controller;
    values_[1] = 0;
}

void TKeyboardState::SetTranspose(int transpose) {
    transpose = std::clamp(transpose, -99, 99);
    if (transpose == transpose_) return;
    ResetAll();
    transpose_ = transpose;
    RestrikeHeldNote();
}

void TKeyboardState::SetDisplayTransposed(bool value) {
    if (value == displayTransposed_) return;
    ResetAll();
    displayTransposed_ = value;
    RestrikeHeldNote();
}

void TKeyboardState::SetTransposeThru(bool value) {
    if (value == transposeThru_) return;
    ClearExternalMarks();
    transposeThru_ = value;
}

void TKeyboardState::SetMouseMode(TMouseMode mode) {
    if (mode == mode_) return;
    if (mode_ == TMouseMode::Idle && held_) PlayNote(channel_, PlayingNote, 0, true);
    mode_ = mode;
}

void TKeyboardState::StartGesture(int x, int y) {
    pressX_ = x;
    pressY_ = y;
    valuesAtPress_ = values_;
}

void TKeyboardState::MoveControllers(int x, int y) {
    for (int i = 0; i < 2; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        if (controllers_[k] == ControllerCode::None) continue;
        const int d = i == 0 ? pressY_ - y : x - pressX_;
        int value;
        if (std::abs(d) <= 5) {
            value = valuesAtPress_[k];
        } else {
            const int beyond = d > 0 ? d - 5 : d + 5; // a dead zone of 5 pixels
            if (controllers_[k] == ControllerCode::PitchBend)
                value = std::clamp(valuesAtPress_[k] + beyond * 80, -8192, 8191);
            else
                value = std::clamp(valuesAtPress_[k] + beyond + 1, 0, 127);
        }
        if (value == values_[k]) continue;
        SendController(i, value);
        values_[k] = value;
    }
}
