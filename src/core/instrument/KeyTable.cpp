#include "instrument/KeyTable.h"

#include "instrument/KeyGeometry.h"

#include <array>

namespace {

constexpr int NoNote = TKeyTable::NoNote;
using TTable = std::array<int, TKeyTable::LastScanCode + 1>;

struct TManualRows {
    int white, whiteEnd, black, blackEnd, cOffset;
};
constexpr TManualRows Upper{16, 27, 2, 13, 12};
constexpr TManualRows Lower{44, 53, 30, 40, 0};

void RebuildInto(TTable& table, const TManualRows& m, int c) {
    for (int b = m.black; b <= m.blackEnd; ++b) table[static_cast<std::size_t>(b)] = NoNote;
    if (c >= m.white + 7) c -= 7;
    int note = c == m.white ? m.cOffset : KeyGeometry::WhiteSemitone((m.white - c + 7) % 7) + m.cOffset - 12;
    auto isBlack = [](int n) { return KeyGeometry::IsBlack(((n % 12) + 12) % 12); };
    if (isBlack(note - 1)) --note;
    int w = m.white, b = m.black;
    while (w <= m.whiteEnd || b <= m.blackEnd) {
        if (isBlack(note)) {
            if (b >= m.black && b <= m.blackEnd) table[static_cast<std::size_t>(b)] = note;
        } else {
            if (w >= m.white && w <= m.whiteEnd) table[static_cast<std::size_t>(w)] = note;
            ++w;
            ++b;
        }
        ++note;
    }
}

} // namespace

int TKeyTable::Offset(int scanCode) const {
    if (scanCode < FirstScanCode || scanCode > LastScanCode) return NoNote;
    return table_[static_cast<std::size_t>(scanCode)];
}

void TKeyTable::Rebuild(TManual manual, int cScanCode) {
    RebuildInto(table_, manual == TManual::Upper ? Upper : Lower, cScanCode);
}

void TKeyTable::ResetToDefault() {
    table_.fill(NoNote);
    RebuildInto(table_, Upper, 16);
    RebuildInto(table_, Lower, 44);
}
