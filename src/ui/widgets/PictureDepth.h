#pragma once
// Which set of pictures suits a screen's colour depth: the 256-colour set
// below 15 bits per pixel; a change of depth loads the pictures again when it
// crosses between 8 and 9 bits per pixel.
namespace PictureDepth {

constexpr bool UsesFullColour(int bitsPerPixel) { return bitsPerPixel >= 15; }
constexpr bool ChangeReloads(int oldBitsPerPixel, int newBitsPerPixel) {
    return (oldBitsPerPixel <= 8) != (newBitsPerPixel <= 8);
}

} // namespace PictureDepth
