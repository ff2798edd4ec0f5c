#include "instrument/KeyMap.h"

#include <array>

namespace KeyMap {

namespace {

struct TKey {
    std::uint8_t scan;
    bool extended;
    std::uint8_t vk;
    const char* name;
    char ch;
};

// The US layout. Extended keys follow their plain twins.
constexpr TKey Keys[] = {
    {0x01, false, 0x1B, "Esc", 0},      {0x02, false, '1', "1", '1'},       {0x03, false, '2', "2", '2'},
    {0x04, false, '3', "3", '3'},       {0x05, false, '4', "4", '4'},       {0x06, false, '5', "5", '5'},
    {0x07, false, '6', "6", '6'},       {0x08, false, '7', "7", '7'},       {0x09, false, '8', "8", '8'},
    {0x0A, false, '9', "9", '9'},       {0x0B, false, '0', "0", '0'},       {0x0C, false, 0xBD, "-", '-'},
    {0x0D, false, 0xBB, "=", '='},      {0x0E, false, 0x08, "Backspace", 0}, {0x0F, false, 0x09, "Tab", 0},
    {0x10, false, 'Q', "Q", 'Q'},       {0x11, false, 'W', "W", 'W'},       {0x12, false, 'E', "E", 'E'},
    {0x13, false, 'R', "R", 'R'},       {0x14, false, 'T', "T", 'T'},       {0x15, false, 'Y', "Y", 'Y'},
    {0x16, false, 'U', "U", 'U'},       {0x17, false, 'I', "I", 'I'},       {0x18, false, 'O', "O", 'O'},
    {0x19, false, 'P', "P", 'P'},       {0x1A, false, 0xDB, "[", '['},      {0x1B, false, 0xDD, "]", ']'},
    {0x1C, false, 0x0D, "Enter", 0},    {0x1C, true, 0x0D, "Num Enter", 0}, {0x1D, false, 0x11, "Ctrl", 0},
    {0x1D, true, 0x11, "Right Ctrl", 0}, {0x1E, false, 'A', "A", 'A'},      {0x1F, false, 'S', "S", 'S'},
    {0x20, false, 'D', "D", 'D'},       {0x21, false, 'F', "F", 'F'},       {0x22, false, 'G', "G", 'G'},
    {0x23, false, 'H', "H", 'H'},       {0x24, false, 'J', "J", 'J'},       {0x25, false, 'K', "K", 'K'},
    {0x26, false, 'L', "L", 'L'},       {0x27, false, 0xBA, ";", ';'},      {0x28, false, 0xDE, "'", '\''},
    {0x29, false, 0xC0, "`", '`'},      {0x2A, false, 0x10, "Shift", 0},    {0x2B, false, 0xDC, "\\", '\\'},
    {0x2C, false, 'Z', "Z", 'Z'},       {0x2D, false, 'X', "X", 'X'},       {0x2E, false, 'C', "C", 'C'},
    {0x2F, false, 'V', "V", 'V'},       {0x30, false, 'B', "B", 'B'},       {0x31, false, 'N', "N", 'N'},
    {0x32, false, 'M', "M", 'M'},       {0x33, false, 0xBC, ",", ','},      {0x34, false, 0xBE, ".", '.'},
    {0x35, false, 0xBF, "/", '/'},      {0x35, true, 0x6F, "Num /", '/'},   {0x36, false, 0x10, "Right Shift", 0},
    {0x37, false, 0x6A, "Num *", '*'},  {0x37, true, 0x2C, "Prnt Scrn", 0}, {0x38, false, 0x12, "Alt", 0},
    {0x38, true, 0x12, "Right Alt", 0}, {0x39, false, 0x20, "Space", ' '},  {0x3A, false, 0x14, "Caps Lock", 0},
    {0x3B, false, 0x70, "F1", 0},       {0x3C, false, 0x71, "F2", 0},       {0x3D, false, 0x72, "F3", 0},
    {0x3E, false, 0x73, "F4", 0},       {0x3F, false, 0x74, "F5", 0},       {0x40, false, 0x75, "F6", 0},
    {0x41, false, 0x76, "F7", 0},       {0x42, false, 0x77, "F8", 0},       {0x43, false, 0x78, "F9", 0},
    {0x44, false, 0x79, "F10", 0},      {0x45, false, 0x90, "Num Lock", 0}, {0x46, false, 0x91, "Scroll Lock", 0},
    {0x47, false, 0x24, "Num 7", 0},    {0x47, true, 0x24, "Home", 0},      {0x48, false, 0x26, "Num 8", 0},
    {0x48, true, 0x26, "Up", 0},        {0x49, false, 0x21, "Num 9", 0},    {0x49, true, 0x21, "Page Up", 0},
    {0x4A, false, 0x6D, "Num -", '-'},  {0x4B, false, 0x25, "Num 4", 0},    {0x4B, true, 0x25, "Left", 0},
    {0x4C, false, 0x0C, "Num 5", 0},    {0x4D, false, 0x27, "Num 6", 0},    {0x4D, true, 0x27, "Right", 0},
    {0x4E, false, 0x6B, "Num +", '+'},  {0x4F, false, 0x23, "Num 1", 0},    {0x4F, true, 0x23, "End", 0},
    {0x50, false, 0x28, "Num 2", 0},    {0x50, true, 0x28, "Down", 0},      {0x51, false, 0x22, "Num 3", 0},
    {0x51, true, 0x22, "Page Down", 0}, {0x52, false, 0x2D, "Num 0", 0},    {0x52, true, 0x2D, "Insert", 0},
    {0x53, false, 0x2E, "Num Del", 0},  {0x53, true, 0x2E, "Delete", 0},    {0x56, false, 0xE2, "\\", '\\'},
    {0x57, false, 0x7A, "F11", 0},      {0x58, false, 0x7B, "F12", 0},      {0x5B, true, 0x5B, "Left Windows", 0},
    {0x5C, true, 0x5C, "Right Windows", 0}, {0x5D, true, 0x5D, "Application", 0},
};

const TKey* Find(std::uint8_t scan, bool extended) {
    for (const TKey& k : Keys)
        if (k.scan == scan && k.extended == extended) return &k;
    return nullptr;
}

// evdev codes 1..88 are the set-1 codes themselves; these are the extended ones.
struct TEvdevKey {
    std::uint32_t evdev;
    std::uint8_t scan;
};
constexpr TEvdevKey ExtendedEvdev[] = {
    {96, 0x1C},  {97, 0x1D},  {98, 0x35},  {99, 0x37},  {100, 0x38}, {102, 0x47}, {103, 0x48},
    {104, 0x49}, {105, 0x4B}, {106, 0x4D}, {107, 0x4F}, {108, 0x50}, {109, 0x51}, {110, 0x52},
    {111, 0x53}, {125, 0x5B}, {126, 0x5C}, {127, 0x5D},
};

} // namespace

std::uint8_t ScanCodeToVirtualKey(std::uint8_t scanCode, bool extended) {
    const TKey* k = Find(scanCode, extended);
    if (!k && extended) k = Find(scanCode, false);
    return k ? k->vk : 0;
}

std::uint8_t VirtualKeyToScanCode(std::uint8_t virtualKey, bool* extended) {
    const TKey* found = nullptr;
    for (const TKey& k : Keys) {
        if (k.vk != virtualKey) continue;
        if (!found || (found->extended && !k.extended && k.name[0] != 'N')) found = &k;
    }
    // Navigation keys are the extended ones, not the number pad's.
    for (const TKey& k : Keys)
        if (k.vk == virtualKey && k.extended && virtualKey >= 0x21 && virtualKey <= 0x2E) found = &k;
    if (extended) *extended = found && found->extended;
    return found ? found->scan : 0;
}

std::string KeyNameText(std::uint8_t scanCode, bool extended) {
    const TKey* k = Find(scanCode, extended);
    return k ? k->name : "";
}

char VirtualKeyToChar(std::uint8_t virtualKey) {
    for (const TKey& k : Keys)
        if (k.vk == virtualKey && k.ch) return k.ch;
    return 0;
}

std::uint8_t EvdevToScanCode(std::uint32_t evdev, bool& extended) {
    extended = false;
    if (evdev >= 1 && evdev <= 88) return static_cast<std::uint8_t>(evdev);
    for (const auto& e : ExtendedEvdev)
        if (e.evdev == evdev) {
            extended = true;
            return e.scan;
        }
    return 0;
}

std::uint32_t ScanCodeToEvdev(std::uint8_t scanCode, bool extended) {
    if (!extended) return scanCode;
    for (const auto& e : ExtendedEvdev)
        if (e.scan == scanCode) return e.evdev;
    return 0;
}

} // namespace KeyMap
