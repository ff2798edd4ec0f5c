#pragma once
// The keyboard as the system describes it, from one table for the US layout:
// PC set-1 scan codes, Windows virtual-key numbers, key names and the
// characters keys give (the equivalents of MapVirtualKey and GetKeyNameText).
#include <cstdint>
#include <string>

namespace KeyMap {

// 0 when the scan code names no key.
std::uint8_t ScanCodeToVirtualKey(std::uint8_t scanCode, bool extended);
// The scan code of a virtual key (and whether it is an extended key); 0 when none.
std::uint8_t VirtualKeyToScanCode(std::uint8_t virtualKey, bool* extended = nullptr);
// The key's name, at most 39 characters; empty when it has none.
std::string KeyNameText(std::uint8_t scanCode, bool extended);
// The character a virtual key gives without modifiers, 0 when none.
char VirtualKeyToChar(std::uint8_t virtualKey);

// The set-1 scan code of a Linux evdev key code (the X11 and Wayland key code
// minus 8), with its extended flag; 0 for keys outside the table.
std::uint8_t EvdevToScanCode(std::uint32_t evdev, bool& extended);
std::uint32_t ScanCodeToEvdev(std::uint8_t scanCode, bool extended);

// The scan code of the key code a key event carries, as the system in use
// reports it (X11 and Wayland: the evdev code + 8; Windows: the scan code with
// the extended flag in bit 8); 0 for keys outside the table. One for each platform.
std::uint8_t NativeToScanCode(std::uint32_t native, bool& extended);
std::uint32_t ScanCodeToNative(std::uint8_t scanCode, bool extended);

} // namespace KeyMap
