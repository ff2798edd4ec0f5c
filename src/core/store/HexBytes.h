#pragma once
// Bytes as two hexadecimal digits, the form snapshot and chord strings keep
// them in: written in capitals, read in either case.
#include <string>

namespace HexBytes {
inline int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte of the two characters at a position; -1 when they are no hex pair.
inline int At(const std::string& text, std::size_t at) {
    if (at + 1 >= text.size()) return -1;
    const int high = DigitValue(text[at]), low = DigitValue(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

inline void Append(std::string& text, int byte) {
    static const char digits[] = "0123456789ABCDEF";
    text += digits[(byte >> 4) & 0xF];
    text += digits[byte & 0xF];
}
} // namespace HexBytes
