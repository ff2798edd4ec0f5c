#pragma once
// Where the keys of the piano keyboard lie, which key a point hits, and the
// names of notes: plain arithmetic on key widths and scroll offsets.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class TLanguage { International, German, Italian };
enum class TPaintStyle { Drawn, Image };
enum class TImageSize { Small, Normal, Big };

namespace KeyGeometry {

inline constexpr int NoteCount = 128;
inline constexpr int WhiteKeyCount = 75; // white keys among the 128 notes
inline constexpr int ImageHeight = 76;
inline constexpr int BlackKeyHeight = 41;

bool IsBlack(int semitone);
int WhiteSemitone(int whiteIndex); // 0..6
int BlackSemitone(int blackIndex); // 0..4
int ColourIndex(int semitone);     // index within its colour
// 0: a black key only on its right; 1: on both sides; 2: only on its left.
int WhiteShape(int semitone);

struct TImageGeometry {
    int octaveWidth, whiteKeyWidth, blackKeyWidth, blackKeyHeight;
    std::array<int, 5> blackLeft; // C#, D#, F#, G#, A#
};
const TImageGeometry& ImageGeometry(TImageSize size);

struct TLayout {
    int keyWidth = 15;
    TPaintStyle style = TPaintStyle::Drawn;
    TImageSize imageSize = TImageSize::Normal;
};

// Absolute x of a note's left edge before scrolling.
int AbsoluteX(int note, const TLayout& layout);

int VisibleSemitones(int width, int keyWidth);
int ClampBaseNote(int note, int width, int keyWidth);

// Division that rounds toward minus infinity, as the octave of a column needs.
inline int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The semitone at each column of one octave's upper (black key) part.
std::vector<std::uint8_t> BuildHitMap(TImageSize size, int keyWidth);

// The note at absolute x (scroll offset + client X) and client y.
int NoteAtDraw(int absoluteX, int y, int keyWidth, int height);
int NoteAtImage(int absoluteX, int y, int keyWidth, const std::vector<std::uint8_t>& hitMap);

int BaseNoteWhiteIndex(int baseNote);
int NoteOfWhiteIndex(int whiteIndex);

std::string NoteName(int note, TLanguage language);

} // namespace KeyGeometry
