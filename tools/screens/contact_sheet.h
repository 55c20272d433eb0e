// A contact sheet: frame-buffer pictures at half size in a grid.
#pragma once

#include <cstdint>
#include <vector>

namespace screens {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels; // 5-5-5, row-major, top row first
};

// A copy of the current frame buffer.
Picture grabFrameBuffer();

// Each picture halved (2 x 2 pixels averaged) and placed left to right, top to
// bottom, columns to a row, gap pixels apart and around, on a dark background.
Picture composeSheet(const std::vector<Picture>& pictures, int columns, int gap);

} // namespace screens
