#include "store/Names.h"

#include <cstdint>

namespace {

// One folded unit of a name: an ASCII letter or a two-byte Latin-1 letter in
// lower case; anything else as it stands. i moves past the unit.
std::uint32_t FoldedUnit(std::string_view s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i++]);
    if (c >= 'A' && c <= 'Z') return c + 0x20u;
    if (c == 0xC3 && i < s.size()) {
        auto next = static_cast<unsigned char>(s[i]);
        if (next >= 0x80 && next <= 0x9E && next != 0x97) next = static_cast<unsigned char>(next + 0x20); // À..Þ, not ×
        ++i;
        return 0xC300u | next;
    }
    return c;
}

} // namespace

int CompareNames(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::uint32_t ca = FoldedUnit(a, i), cb = FoldedUnit(b, j);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i == a.size() && j == b.size()) return 0;
    return i == a.size() ? -1 : 1;
}

std::string FoldedName(std::string_view name) {
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::uint32_t unit = FoldedUnit(name, i);
        if (unit > 0xFF) folded += static_cast<char>(unit >> 8);
        folded += static_cast<char>(unit & 0xFF);
    }
    return folded;
}

std::string_view TrimmedBlanks(std::string_view s) {
    const std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}
