// 8-bit RGB pictures as binary PPM files, and matching a rendering of the frame
// buffer against a capture of a real display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fixture {

struct Pixmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // 3 bytes a pixel, top row first

    const std::uint8_t* at(int x, int y) const { return &rgb[(y * width + x) * 3]; }
};

// Each 5-bit channel widened by a left shift of three.
Pixmap fromFrameBuffer(const std::vector<std::uint16_t>& pixels, int width, int height);

bool writePpm(const std::string& path, const Pixmap& image);
bool readPpm(const std::string& path, Pixmap& image);

struct Point {
    int x;
    int y;
};

// Pixels of reference that differ from capture at the given offset, comparing
// the top five bits of each channel (a display may widen 5-bit channels by a
// shift or by replicating the top bits). Parts outside the capture count as
// differing.
long countDifferences(const Pixmap& capture, const Pixmap& reference, Point offset);

// The offsets at which reference lies in capture, by the same comparison.
std::vector<Point> locate(const Pixmap& capture, const Pixmap& reference);

} // namespace fixture
