#pragma once
// What the piano keyboard's files share: which notes are black, and the
// size of a picture in logical pixels, whatever its pixel ratio.
#include "instrument/KeyGeometry.h"

#include <QPixmap>
#include <QSize>

namespace PianoKeyboardParts {
inline bool IsBlackNote(int note) { return KeyGeometry::IsBlack(note % 12); }
inline QSize LogicalSize(const QPixmap& p) { return p.deviceIndependentSize().toSize(); }
} // namespace PianoKeyboardParts
