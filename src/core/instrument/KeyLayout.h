#pragma once
// What the computer keys of the manuals show on their caps, on the user's
// keyboard layout, and which piano key each of them plays.
#include "instrument/KeyTable.h"

#include <array>
#include <string>

class TKeyLayout {
public:
    virtual ~TKeyLayout() = default;
    // The text a key cap shows for a set-1 scan code (upper case); empty when none.
    virtual std::string KeyCap(int scanCode) = 0;
    // A descriptor that turns readable when the layout may have changed; -1 when none.
    virtual int ChangeFd() { return -1; }
    // Takes what the descriptor brought; true when key caps changed.
    virtual bool TakeChanges() { return false; }
};

// The US layout, from the program's own key table: where no other can be read.
class TUsKeyLayout final : public TKeyLayout {
public:
    std::string KeyCap(int scanCode) override;
};

// For each note, the caps of the keys that play it at this octave, one line
// each, the upper manual's first.
std::array<std::string, 128> KeyLegends(const TKeyTable& keys, int keyOctave, TKeyLayout& layout);
