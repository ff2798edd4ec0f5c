#include "instrument/KeyData.h"

#include "instrument/KeyMap.h"

TKeyData DecodeKeyData(std::uint32_t flags, std::uint8_t virtualKey) {
    TKeyData d;
    d.repeatCount = static_cast<int>(flags & 0xFFFF);
    d.scanCode = static_cast<std::uint8_t>((flags >> 16) & 0xFF);
    d.extended = flags & (1u << 24);
    d.altDown = flags & (1u << 29);
    d.wasDown = flags & (1u << 30);
    d.keyUp = flags & (1u << 31);
    d.virtualKey = virtualKey ? virtualKey : KeyMap::ScanCodeToVirtualKey(d.scanCode, d.extended);
    if (virtualKey) {
        if (char c = KeyMap::VirtualKeyToChar(virtualKey)) d.character = std::string(1, c);
    }
    return d;
}

std::uint32_t EncodeKeyFlags(const TKeyData& d) {
    std::uint32_t flags = static_cast<std::uint32_t>(d.repeatCount) & 0xFFFF;
    flags |= std::uint32_t(d.scanCode) << 16;
    if (d.extended) flags |= 1u << 24;
    if (d.altDown) flags |= 1u << 29;
    if (d.wasDown) flags |= 1u << 30;
    if (d.keyUp) flags |= 1u << 31;
    return flags;
}
