// PNG pictures of a 16-bit 5-5-5 frame buffer, for tests, screenshots and the
// documentation. Not part of the program itself.
#pragma once

#include <cstdint>

// Writes columns left..right and rows top..bottom (inclusive) of a top-down
// image whose rows lie `pitch` bytes apart. Each 5-bit channel is widened to
// the full 8-bit range; bit 15 is ignored. False when the region is empty or
// the file cannot be written.
bool writePngRegion(const char* path, const void* pixels, std::int32_t pitch, int left, int top,
                    int right, int bottom);

// The whole width by height image.
bool writePng(const char* path, const void* pixels, std::int32_t pitch, int width, int height);
