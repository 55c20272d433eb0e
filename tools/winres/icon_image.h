// A small picture with transparency, as icons and cursors need it.
#pragma once

#include <cstdint>
#include <vector>

struct IconImage {
    int width = 0;
    int height = 0;
    int hotspotX = 0;
    int hotspotY = 0;
    // 0xAARRGGBB, row-major, top row first; alpha 0 is transparent, anything
    // else opaque.
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[y * width + x]; }
};

// Windows .ico (cursor false) or .cur (cursor true) holding the given images, each
// a device-independent bitmap with an AND mask. Images with up to 2 or 16
// distinct opaque colours are stored with a palette (1 or 4 bits), others in 32
// bits. Empty when an image cannot be stored (size 0 or above 256).
std::vector<std::uint8_t> encodeIconFile(const std::vector<IconImage>& images, bool cursor);
