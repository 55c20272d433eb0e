// Turns a rasterised glyph and its natural advance into the metrics of the
// font file, whose pen moves by width + 3/4 space - right(cur) - left(next).
#pragma once

#include <cstdint>
#include <vector>

struct RasterGlyph {
    int advance = 0;                    // natural pen advance in pixels
    int inkLeft = 0;                    // ink's left edge relative to the pen origin
    int inkWidth = 0;                   // 0 for a glyph with no ink
    std::vector<std::uint8_t> coverage; // height rows of inkWidth 4-bit values
};

struct FileGlyph {
    std::int32_t width = 0;
    std::int32_t rowBytes = 0;
    std::int32_t leftBearing = 0;
    std::int32_t rightBearing = 0;
    std::vector<std::uint8_t> bitmap; // height x rowBytes packed bytes
};

// The space is where the format's never-negative gap hurts most: a "j" or "f"
// next to it overhangs into it. Its width is shortened by the overhang it must
// absorb on each side, and its bearings give that room back.
struct SpaceLayout {
    std::int32_t width;       // also decides the base gap of the whole font
    std::int32_t slackBefore; // overhang absorbed from the glyph in front
    std::int32_t slackAfter;  // overhang absorbed from the glyph behind
};
SpaceLayout planSpace(int advance, int largestRightOverhang, int largestLeftOverhang);
FileGlyph layoutSpace(const SpaceLayout& space);

// The gap the format inserts between every pair before bearings.
std::int32_t baseGap(std::int32_t spaceWidth);

// Chooses bearings so that the distance between neighbouring inks equals the
// natural one (right side bearing of one plus left side bearing of the next).
FileGlyph layoutGlyph(const RasterGlyph& raster, int height, std::int32_t spaceWidth);
