// Lines, rectangles, gradients, tints and colour shading over the Screen.
#pragma once

#include <cstdint>

#include "render/screen.h"

// Bit 0 set: solid; clear: 4 pixels drawn, 2 skipped.
inline constexpr int LineSolid = 1;
inline constexpr int LineDashed = 2;

// The first set bit, in this order, picks the one behaviour of drawRect.
enum RectMode : std::uint8_t {
    RectDashedOutline = 0x01,
    RectSolidOutline = 0x02,
    RectSolidFill = 0x04,
    RectGradientRightToLeft = 0x08, // second colour at the left column
    RectGradientLeftToRight = 0x10, // first colour at the left column
    RectGradientBottomToTop = 0x20, // second colour at the top row
    RectGradientTopToBottom = 0x40, // first colour at the top row
    RectTint = 0x80,
};

// A second gradient colour with bit 15 set blends from each pixel's existing colour.
inline constexpr Colour555 KeepExisting = 0x8000;

int drawLine(std::int16_t x0, std::int16_t y0, std::int16_t x1, std::int16_t y1, int style,
             Colour555 colour);
int drawRect(std::int16_t x0, std::int16_t y0, std::int16_t x1, std::int16_t y1, std::uint8_t mode,
             Colour555 colour, Colour555 secondColour);
// layout 0: 5-5-5; any other value: 5-6-5.
std::uint16_t shadeColour(std::uint16_t colour, std::int16_t percent, std::uint8_t layout);
