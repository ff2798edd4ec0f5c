#pragma once
// Every short MIDI message the program builds, and the arithmetic of their
// bytes: the one home for status bytes, channels and 14-bit values.
#include <cstddef>
#include <cstdint>

struct TShortMessage {
    std::uint8_t status = 0, data1 = 0, data2 = 0;
    bool operator==(const TShortMessage&) const = default;

    constexpr std::uint8_t Kind() const { return status & 0xF0; } // the status without its channel
    constexpr int Channel() const { return status & 0x0F; }
    constexpr bool IsChannelMessage() const { return status >= 0x80 && status < 0xF0; }
    // Of any velocity: the program ends its notes with a note on of velocity 0.
    constexpr bool IsNoteOn() const { return Kind() == 0x90; }
    constexpr bool IsNoteOff() const { return Kind() == 0x80; }
    constexpr bool IsNote() const { return IsNoteOn() || IsNoteOff(); }
    constexpr bool IsControlChange() const { return Kind() == 0xB0; }
    constexpr bool IsProgramChange() const { return Kind() == 0xC0; }
    constexpr bool IsPitchBend() const { return Kind() == 0xE0; }
    // What a note message means: its velocity, 0 for a note off of any kind.
    constexpr int Velocity() const { return IsNoteOn() ? data2 & 0x7F : 0; }
};

// A 14-bit value in two 7-bit data bytes.
struct TSplit14 {
    std::uint8_t low = 0, high = 0;
    bool operator==(const TSplit14&) const = default;
};

namespace ShortMessage {

inline constexpr std::uint8_t NoteOnStatus = 0x90;
inline constexpr std::uint8_t NoteOffStatus = 0x80;
inline constexpr std::uint8_t ControlChangeStatus = 0xB0;
inline constexpr std::uint8_t ProgramChangeStatus = 0xC0;
inline constexpr std::uint8_t PitchBendStatus = 0xE0;
inline constexpr int PitchBendMin = -8192, PitchBendMax = 8191;

constexpr std::uint8_t Kind(std::uint8_t status) { return status & 0xF0; }
constexpr int ChannelOf(std::uint8_t status) { return status & 0x0F; }
constexpr std::uint8_t Status(std::uint8_t kind, int channel) {
    return static_cast<std::uint8_t>(kind | (channel & 0x0F));
}

// Unsigned: v = high × 128 + low, for 0..16383 (bank numbers).
constexpr TSplit14 SplitUnsigned14(int v) {
    return {static_cast<std::uint8_t>(v % 128), static_cast<std::uint8_t>((v / 128) & 0x7F)};
}
constexpr int JoinUnsigned14(int low, int high) { return (high & 0x7F) * 128 + (low & 0x7F); }
// Signed: the unsigned form of v + 8192, for −8192..8191 (pitch bend).
constexpr TSplit14 SplitSigned14(int v) { return SplitUnsigned14(v + 8192); }
constexpr int JoinSigned14(int low, int high) { return JoinUnsigned14(low, high) - 8192; }

constexpr TShortMessage NoteOn(int channel, int note, int velocity) {
    return {Status(NoteOnStatus, channel), static_cast<std::uint8_t>(note & 0x7F),
            static_cast<std::uint8_t>(velocity & 0x7F)};
}
// A note off is always sent as a note on with velocity 0.
constexpr TShortMessage NoteOff(int channel, int note) { return NoteOn(channel, note, 0); }
constexpr TShortMessage ControlChange(int channel, int controller, int value) {
    return {Status(ControlChangeStatus, channel), static_cast<std::uint8_t>(controller & 0x7F),
            static_cast<std::uint8_t>(value & 0x7F)};
}
constexpr TShortMessage ProgramChange(int channel, int program) {
    return {Status(ProgramChangeStatus, channel), static_cast<std::uint8_t>(program & 0x7F), 0};
}
constexpr TShortMessage PitchBend(int channel, int value) {
    const TSplit14 s = SplitSigned14(value);
    return {Status(PitchBendStatus, channel), s.low, s.high};
}

// A received note off (0x80) as the note on with velocity 0 the program uses.
constexpr TShortMessage AsNoteOn(TShortMessage m) {
    if (!m.IsNoteOff()) return m;
    return {Status(NoteOnStatus, m.Channel()), m.data1, 0};
}

// Bytes on the wire for a status byte: 3, 2 or 1; 0 for a data byte (no
// running status to continue) and for system exclusive, which is no short message.
constexpr int Length(std::uint8_t status) {
    if (status < 0x80 || status == 0xF0 || status == 0xF7) return 0;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2) return 3;
    if (status < 0xE0 || status == 0xF1 || status == 0xF3) return 2;
    return 1;
}

// Packed for the system: status | data 1 << 8 | data 2 << 16.
constexpr std::uint32_t Pack(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    return std::uint32_t(status) | (std::uint32_t(data1) << 8) | (std::uint32_t(data2) << 16);
}
constexpr std::uint32_t Pack(TShortMessage m) { return Pack(m.status, m.data1, m.data2); }
constexpr TShortMessage Unpack(std::uint32_t packed) {
    return {static_cast<std::uint8_t>(packed & 0xFF), static_cast<std::uint8_t>((packed >> 8) & 0xFF),
            static_cast<std::uint8_t>((packed >> 16) & 0xFF)};
}
// Up to three bytes of a message as received, packed.
constexpr std::uint32_t PackBytes(const std::uint8_t* bytes, std::size_t size) {
    std::uint32_t packed = 0;
    for (std::size_t i = 0; i < size && i < 3; ++i) packed |= std::uint32_t(bytes[i]) << (8 * i);
    return packed;
}

} // namespace ShortMessage
