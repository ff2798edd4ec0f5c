// Key codes of Windows: the set-1 scan code itself, the extended flag in bit 8.
#include "instrument/KeyMap.h"

namespace KeyMap {

std::uint8_t NativeToScanCode(std::uint32_t native, bool& extended) {
    extended = (native & 0x100) != 0;
    return static_cast<std::uint8_t>(native & 0xFF);
}

std::uint32_t ScanCodeToNative(std::uint8_t scanCode, bool extended) { return scanCode | (extended ? 0x100u : 0u); }

} // namespace KeyMap
