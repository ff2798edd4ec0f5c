#include "instrument/KeyLayout.h"

#include "instrument/KeyMap.h"

std::string TUsKeyLayout::KeyCap(int scanCode) {
    if (scanCode <= 0 || scanCode > 0xFF) return {};
    const char c = KeyMap::VirtualKeyToChar(KeyMap::ScanCodeToVirtualKey(static_cast<std::uint8_t>(scanCode), false));
    return c ? std::string(1, c) : std::string();
}

std::array<std::string, 128> KeyLegends(const TKeyTable& keys, int keyOctave, TKeyLayout& layout) {
    std::array<std::string, 128> legends;
    // Scan codes of the upper manual come before the lower's.
    for (int scan = TKeyTable::FirstScanCode; scan <= TKeyTable::LastScanCode; ++scan) {
        const int offset = keys.Offset(scan);
        if (offset == TKeyTable::NoNote) continue;
        const int note = keyOctave * 12 + offset;
        if (note < 0 || note > 127) continue;
        const std::string cap = layout.KeyCap(scan);
        if (cap.empty()) continue;
        std::string& legend = legends[static_cast<std::size_t>(note)];
        legend += legend.empty() ? cap : "\n" + cap;
    }
    return legends;
}
