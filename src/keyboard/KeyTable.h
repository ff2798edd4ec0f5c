#pragma once
// The program-wide table from computer-key scan codes (2..53) to the
// semitone above KeyOctave x 12 that each key plays, for two manuals.
#include <cstdint>

namespace KeyTable {

inline constexpr int NoNote = 255;
inline constexpr int FirstScanCode = 2;
inline constexpr int LastScanCode = 53;

enum class TManual { Upper, Lower };

// NoNote for keys that play nothing and for scan codes outside 2..53.
int Offset(int scanCode);
// Rewrites one manual's part of the table for the scan code of its C.
void Rebuild(TManual manual, int cScanCode);
void ResetToDefault();

bool IsValidUpperCKey(int scanCode);
bool IsValidLowerCKey(int scanCode);

} // namespace KeyTable
