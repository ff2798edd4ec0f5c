#include "keyboard/KeyTable.h"

#include "keyboard/KeyGeometry.h"

#include <array>

namespace KeyTable {

namespace {

struct TManualRows {
    int white, whiteEnd, black, blackEnd, cOffset;
};
constexpr TManualRows Upper{16, 27, 2, 13, 12};
constexpr TManualRows Lower{44, 53, 30, 40, 0};

std::array<int, LastScanCode + 1> MakeDefault();
std::array<int, LastScanCode + 1> g_table = MakeDefault();

void RebuildInto(std::array<int, LastScanCode + 1>& table, const TManualRows& m, int c) {
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

std::array<int, LastScanCode + 1> MakeDefault() {
    std::array<int, LastScanCode + 1> t;
    t.fill(NoNote);
    RebuildInto(t, Upper, 16);
    RebuildInto(t, Lower, 44);
    return t;
}

} // namespace

int Offset(int scanCode) {
    if (scanCode < FirstScanCode || scanCode > LastScanCode) return NoNote;
    return g_table[static_cast<std::size_t>(scanCode)];
}

void Rebuild(TManual manual, int cScanCode) {
    RebuildInto(g_table, manual == TManual::Upper ? Upper : Lower, cScanCode);
}

void ResetToDefault() { g_table = MakeDefault(); }

bool IsValidUpperCKey(int scanCode) { return scanCode >= 16 && scanCode <= 27; }
bool IsValidLowerCKey(int scanCode) { return scanCode >= 44 && scanCode <= 53; }

} // namespace KeyTable
