#pragma once
// A key message as the keyboard hook's handlers see it.
#include <cstdint>
#include <string>

// The modifier keys and mouse buttons held with a key or mouse message.
enum TShiftFlag : int { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };

struct TKeyData {
    int repeatCount = 1;
    std::uint8_t scanCode = 0;
    bool extended = false;
    bool altDown = false;
    bool wasDown = false; // the key was down before (an auto-repeat when not keyUp)
    bool keyUp = false;   // the key is being released
    std::uint8_t virtualKey = 0;
    std::string character; // at most one character
    bool deadKey = false;
    int shiftState = 0; // the modifier keys at the time of the key (TShiftFlag bits)
};

// Decodes the flags of a key message (repeat count in bits 0..15, scan code
// in 16..23, extended 24, Alt 29, previous state 30, transition 31). A
// virtual key of 0 is derived from the scan code.
TKeyData DecodeKeyData(std::uint32_t flags, std::uint8_t virtualKey);
std::uint32_t EncodeKeyFlags(const TKeyData& data);
