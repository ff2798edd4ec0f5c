#pragma once
// What the piano keyboard plays: the note path with chords, velocity and
// transposition, the counters that decide which keys show pressed, and the
// hold-mode controllers. The control draws it and feeds it mouse gestures.
#include "instrument/KeyboardSettings.h"
#include "midi/ControllerCode.h"
#include "midi/ShortMessage.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

enum class TChord { None, Major, Minor, Major7, Minor7, Fifths, Octave, Power, Custom };


enum class TMouseMode { Idle, Normal, Hold, BaseNoteDrag };

// The intervals a chord adds after its root, in the order they sound.
const std::vector<int>& ChordIntervals(TChord chord);

// Velocity of a gesture: with Shift, velocity times the factor, rounded and limited to 0..127.
int GestureVelocity(int velocity, float shiftFactor, bool shift);

class TKeyboardState {
public:
    using TNoteEvent = std::function<void(TKeyboardState* sender, const TShortMessage& message)>;
    TNoteEvent OnNote;         // a message to send
    TNoteEvent OnDisplayEvent; // a controller message to show
    std::function<void(int note)> OnRedrawNote; // a key's pressed state changed
    std::function<void()> OnRepaint;

    std::uint8_t Channel() const { return channel_; }
    void SetChannel(int channel);
    TChord Chord() const { return chord_; }
    void SetChord(TChord chord);       // releases local notes and restrikes a held one
    void StoreChord(TChord chord) { chord_ = chord; } // as loaded: no release
    std::uint8_t Velocity() const { return velocity_; }
    void SetVelocity(int velocity) { velocity_ = static_cast<std::uint8_t>(velocity & 0x7F); }
    float VelocityShiftFactor() const { return shiftFactor_; }
    void SetVelocityShiftFactor(float factor) { shiftFactor_ = factor < 0.01f ? 0.01f : factor; }
    int UpDownController() const { return controllers_[0]; }
    int LeftRightController() const { return controllers_[1]; }
    void SetUpDownController(int controller);
    void SetLeftRightController(int controller);
    int Transpose() const { return transpose_; }
    void SetTranspose(int transpose);
    bool DisplayTransposed() const { return displayTransposed_; }
    void SetDisplayTransposed(bool value);
    bool TransposeThru() const { return transposeThru_; }
    void SetTransposeThru(bool value);
    bool EnableSpecialMode = true;

    void SendNote(int channel, int note, int velocity, bool local);
    void PlayNote(int channel, int note, int velocity, bool local);
    // A message from MIDI In passed through. A note off ends exactly the notes
    // its note on sent, whatever chord or transposition holds now.
    void PlayMessage(const TShortMessage& message, bool useMessageChannel);
    // Ends every note passed through and still held (thru off, input gone, panic).
    void ReleaseThruNotes();
    void MarkExternalNote(int note, int velocity);
    void SetControllerValue(int controller, int value);
    void ReleaseAll();
    void ResetAll();
    void ClearExternalMarks();
    void ReleaseExternalNotes();
    void RestrikeHeldNote();
    void SetCustomChord(const std::vector<int>& intervals, bool select);
    const std::array<std::int8_t, 16>& CustomChord() const { return customChord_; }

    int LocalCount(int note) const { return local_[static_cast<std::size_t>(note)]; }
    int ExternalCount(int note) const { return external_[static_cast<std::size_t>(note)]; }
    bool IsPressed(int note) const { return LocalCount(note) + ExternalCount(note) != 0; }

    // Mouse gestures, as the control hands them on.
    TMouseMode MouseMode() const { return mode_; }
    void SetMouseMode(TMouseMode mode); // leaving idle ends a held note first
    int PlayingNote = 0;
    int PlayingVelocity = 0;
    bool Held() const { return held_; }
    void SetHeld(bool held) { held_ = held; }
    int GestureVelocity(bool shift) const { return ::GestureVelocity(velocity_, shiftFactor_, shift); }
    void StartGesture(int x, int y); // remembers the press point and the controllers' values
    void MoveControllers(int x, int y);
    void RecentrePitchBend();
    int ControllerValue(int index) const { return values_[static_cast<std::size_t>(index)]; }

private:
    // A note sent for a note passed through: where it went and which key shows it.
    struct TThruNote {
        std::uint8_t channel;
        int sent;  // -1: not sent (beyond the MIDI range, or no handler)
        int shown; // the key that shows it, always 0..127
    };
    using TThruStrike = std::vector<TThruNote>;
    void EndThruStrike(const TThruStrike& strike);

    // A key's counter follows a note played on it (down) or ended; a key whose pressed look may change is redrawn.
    void CountKey(int shown, bool local, bool down);
    void ReleaseLocalNotes();
    void SendController(int index, int value);
    void Redraw(int note);

    std::uint8_t channel_ = KeyboardSettings::Channel.def;
    TChord chord_ = static_cast<TChord>(KeyboardSettings::Chord.def);
    std::uint8_t velocity_ = KeyboardSettings::Velocity.def;
    float shiftFactor_ = KeyboardSettings::VelShiftFactor.def / 100.0f;
    std::array<int, 2> controllers_ = {KeyboardSettings::UpDownController.def, KeyboardSettings::LeftRightController.def};
    std::array<int, 2> values_ = {0, 0};
    std::array<int, 2> valuesAtPress_ = {0, 0};
    int pressX_ = 0, pressY_ = 0;
    int transpose_ = 0;
    bool displayTransposed_ = false;
    bool transposeThru_ = true;
    std::array<std::int8_t, 16> customChord_ = {};
    std::array<int, 128> local_ = {};
    std::array<int, 128> external_ = {};
    // Per incoming channel and note (channel * 128 + note), the strikes still held, oldest first.
    std::map<int, std::deque<TThruStrike>> thruHeld_;
    TThruStrike* recording_ = nullptr; // the strike SendNote adds to, while one is played
    TMouseMode mode_ = TMouseMode::Idle;
    bool held_ = false;
    bool savedHeld_ = false;
};
