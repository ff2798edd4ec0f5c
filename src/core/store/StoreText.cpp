#include "store/IniStore.h"

#include <cctype>
#include <limits>

bool ParseStoredInteger(const std::string& text, std::int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    bool hex = i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
    if (hex) i += 2;
    if (i >= text.size()) return false;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        int digit;
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isdigit(c)) digit = c - '0';
        else if (hex && std::isxdigit(c)) digit = std::tolower(c) - 'a' + 10;
        else return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull) return false;
    }
    std::int64_t result;
    if (hex) {
        // Hexadecimal spells the 32 bits themselves: 0xFFFFFFFF is -1.
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        if (negative) result = -result;
        if (result > std::numeric_limits<std::int32_t>::max()) return false;
    } else {
        result = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
        if (result < std::numeric_limits<std::int32_t>::min() ||
            result > std::numeric_limits<std::int32_t>::max())
            return false;
    }
    value = static_cast<std::int32_t>(result);
    return true;
}
