// Anti-aliased bitmap fonts: the ".fnt" format, the seven font slots, measuring
// and drawing text.
#pragma once

#include <cstdint>

#include "platform/name.h"
#include "render/screen.h"

class Directory;

struct Glyph {
    std::int32_t width;
    std::int32_t rowBytes;
    std::int32_t leftBearing;
    std::int32_t rightBearing;
    std::uint8_t* bitmap; // height x rowBytes 4-bit coverage values, or null
};

struct Font {
    std::int32_t height;
    Glyph glyphs[256];
};

extern const Name FontNames[FontSlotCount];

int loadFont(const Directory& directory, int slot);
void freeFont(int slot);
std::int32_t fontHeight(int slot);
std::int32_t glyphGap(int slot, const char* text, int next);
std::int32_t stringWidth(int slot, const char* text);
int drawString(std::int16_t x, std::int16_t y, int slot, Colour555 colour, const char* text);
