#include "instrument/KeyGeometry.h"

#include <algorithm>

namespace KeyGeometry {

namespace {
constexpr bool Black[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
constexpr int WhiteSemitones[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int BlackSemitones[5] = {1, 3, 6, 8, 10};
constexpr int ColourIndices[12] = {0, 0, 1, 1, 2, 3, 2, 4, 3, 5, 4, 6};
constexpr int DrawnBlackStart[5] = {0, 1, 3, 4, 5};
constexpr int Shapes[12] = {0, -1, 1, -1, 2, 0, -1, 1, -1, 1, -1, 2};
constexpr int DrawnHit[14] = {0, 1, 1, 3, 3, 4, 5, 6, 6, 8, 8, 10, 10, 11};

const TImageGeometry Images[3] = {
    {105, 15, 8, 41, {9, 28, 54, 71, 88}},
    {140, 20, 11, 41, {12, 37, 72, 95, 117}},
    {189, 27, 15, 41, {16, 50, 97, 128, 158}},
};

const char* const Names[3][12] = {
    {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"},
    {"C", "Cis", "D", "Dis", "E", "F", "Fis", "G", "Gis", "A", "Ais", "H"},
    {"Do", "Do#", "Re", "Re#", "Mi", "Fa", "Fa#", "Sol", "Sol#", "La", "La#", "Si"},
};

int ClampNote(int n) { return std::clamp(n, 0, NoteCount - 1); }
} // namespace

bool IsBlack(int semitone) { return Black[semitone]; }
int WhiteSemitone(int whiteIndex) { return WhiteSemitones[whiteIndex]; }
int BlackSemitone(int blackIndex) { return BlackSemitones[blackIndex]; }
int ColourIndex(int semitone) { return ColourIndices[semitone]; }
int WhiteShape(int semitone) { return Shapes[semitone]; }

const TImageGeometry& ImageGeometry(TImageSize size) { return Images[static_cast<int>(size)]; }

int AbsoluteX(int note, const TLayout& layout) {
    const int o = FloorDiv(note, 12), s = note - o * 12, i = ColourIndices[s], k = layout.keyWidth;
    if (!Black[s]) return (o * 7 + i) * k;
    if (layout.style == TPaintStyle::Drawn) return (o * 7 + DrawnBlackStart[i]) * k + k / 2;
    return o * 7 * k + ImageGeometry(layout.imageSize).blackLeft[static_cast<std::size_t>(i)];
}

int VisibleSemitones(int width, int keyWidth) {
    return std::min(width * 12 / (keyWidth * 7), NoteCount);
}

int ClampBaseNote(int note, int width, int keyWidth) {
    return std::clamp(note, 0, NoteCount - VisibleSemitones(width, keyWidth));
}

std::vector<std::uint8_t> BuildHitMap(TImageSize size, int keyWidth) {
    std::vector<std::uint8_t> map(static_cast<std::size_t>(7 * keyWidth));
    for (int w = 0; w < 7; ++w)
        std::fill_n(map.begin() + w * keyWidth, keyWidth, static_cast<std::uint8_t>(WhiteSemitones[w]));
    const TImageGeometry& g = ImageGeometry(size);
    for (int b = 0; b < 5; ++b)
        for (int c = g.blackLeft[static_cast<std::size_t>(b)];
             c < g.blackLeft[static_cast<std::size_t>(b)] + g.blackKeyWidth && c < 7 * keyWidth; ++c)
            map[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(BlackSemitones[b]);
    return map;
}

int NoteAtDraw(int absoluteX, int y, int keyWidth, int height) {
    const int w = 7 * keyWidth, o = FloorDiv(absoluteX, w), c = absoluteX - o * w;
    int semitone;
    if (y <= height * 3 / 5) semitone = DrawnHit[std::min(c * 2 / keyWidth, 13)];
    else semitone = WhiteSemitones[std::min(c / keyWidth, 6)];
    return ClampNote(o * 12 + semitone);
}

int NoteAtImage(int absoluteX, int y, int keyWidth, const std::vector<std::uint8_t>& hitMap) {
    const int w = 7 * keyWidth, o = FloorDiv(absoluteX, w);
    int c = absoluteX - o * w;
    if (y > BlackKeyHeight) c = (c / keyWidth) * keyWidth + keyWidth / 2;
    int semitone = c < static_cast<int>(hitMap.size()) ? hitMap[static_cast<std::size_t>(c)]
                                                       : WhiteSemitones[std::min(c / keyWidth, 6)];
    return ClampNote(o * 12 + semitone);
}

int BaseNoteWhiteIndex(int baseNote) {
    int s = baseNote % 12;
    if (Black[s]) --s; // a black base note counts as the white key on its left
    return baseNote / 12 * 7 + ColourIndices[s];
}

int NoteOfWhiteIndex(int whiteIndex) {
    const int o = FloorDiv(whiteIndex, 7);
    return WhiteSemitones[whiteIndex - o * 7] + o * 12;
}

std::string NoteName(int note, TLanguage language) {
    const int n = ClampNote(note);
    return std::string(Names[static_cast<int>(language)][n % 12]) + std::to_string(n / 12 - 2);
}

} // namespace KeyGeometry
