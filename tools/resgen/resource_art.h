// Reads the pixel-art text files of resources/ (format in resources/README.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace resgen {

struct Art {
    std::string sourceName;
    bool cursor = false;
    int id = 0;
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    // width x height, rows top-down, 0xAARRGGBB; alpha is 0 or 255.
    std::vector<std::uint32_t> argb;
    // The distinct opaque colours, in the order the palette lists them.
    std::vector<std::uint32_t> palette;
};

// False with a message in error when the text is not a valid image.
bool parseArt(const std::string& text, const std::string& sourceName, Art& art, std::string& error);
// parseArt on the contents of a file.
bool readArtFile(const char* path, Art& art, std::string& error);

} // namespace resgen
