#pragma once
// The table from computer-key scan codes (2..53) to the semitone above
// KeyOctave x 12 that each key plays, for two manuals. There is one per
// program: the main window owns it and lends it to every keyboard control.
#include <array>
#include <cstdint>

class TKeyTable {
public:
    static constexpr int NoNote = 255;
    static constexpr int FirstScanCode = 2;
    static constexpr int LastScanCode = 53;
    enum class TManual { Upper, Lower };

    TKeyTable() { ResetToDefault(); } // C on Q and on Z

    // NoNote for keys that play nothing and for scan codes outside 2..53.
    int Offset(int scanCode) const;
    // Rewrites one manual's part of the table for the scan code of its C.
    void Rebuild(TManual manual, int cScanCode);
    void ResetToDefault();

    static bool IsValidUpperCKey(int scanCode) { return scanCode >= 16 && scanCode <= 27; }
    static bool IsValidLowerCKey(int scanCode) { return scanCode >= 44 && scanCode <= 53; }

private:
    std::array<int, LastScanCode + 1> table_{};
};
