// Key codes of X11 and Wayland: the evdev code + 8.
#include "instrument/KeyMap.h"

namespace KeyMap {

std::uint8_t NativeToScanCode(std::uint32_t native, bool& extended) {
    extended = false;
    return native > 8 ? EvdevToScanCode(native - 8, extended) : 0;
}

std::uint32_t ScanCodeToNative(std::uint8_t scanCode, bool extended) { return ScanCodeToEvdev(scanCode, extended) + 8; }

} // namespace KeyMap
