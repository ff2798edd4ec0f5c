// Chord strings: no crash on any text, and an entry with at least one
// interval comes back unchanged through its printed form.
#include "instrument/ChordList.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TChordEntry entry("fuzz");
    entry.ParseChordString("fuzz", text);
    if (entry.IntervalCount() > TChordEntry::MaxIntervals) std::abort();
    if (entry.IntervalCount() == 0) return 0;
    const std::string printed = entry.ChordString();
    TChordEntry again("fuzz");
    if (!again.ParseChordString("fuzz", printed)) std::abort();
    if (again.Root != entry.Root || again.Intervals != entry.Intervals || again.ChordString() != printed) std::abort();
    // Toggling keeps the entry within its rules.
    for (std::size_t i = 0; i < size && i < 64; ++i) entry.ToggleNote(data[i] & 0x7F);
    if (entry.IntervalCount() > TChordEntry::MaxIntervals) std::abort();
    return 0;
}
