#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/winres/icon_image.h"

namespace {

std::uint32_t read32(const std::vector<std::uint8_t>& data, std::size_t at) {
    return data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) |
           (static_cast<std::uint32_t>(data[at + 3]) << 24);
}
std::uint32_t read16(const std::vector<std::uint8_t>& data, std::size_t at) {
    return data[at] | (data[at + 1] << 8);
}

// One row of text per pixel row; each character is looked up in colours, and
// any character not there is transparent.
IconImage picture(const std::vector<std::string>& rows,
                  const std::vector<std::pair<char, std::uint32_t>>& colours) {
    IconImage image;
    image.width = static_cast<int>(rows[0].size());
    image.height = static_cast<int>(rows.size());
    for (const std::string& row : rows) {
        for (char c : row) {
            std::uint32_t pixel = 0;
            for (const auto& [symbol, rgb] : colours) {
                if (symbol == c) {
                    pixel = 0xFF000000u | rgb;
                }
            }
            image.pixels.push_back(pixel);
        }
    }
    return image;
}

// The single image of a one-image file: its directory entry and its bitmap.
struct Decoded {
    std::size_t bitmap;
    std::uint32_t bits;
    std::size_t colours; // start of the colour rows
    std::size_t mask;    // start of the mask rows
};

Decoded decode(const std::vector<std::uint8_t>& file, int width, int height) {
    Decoded d{};
    d.bitmap = read32(file, 6 + 12);
    d.bits = read16(file, d.bitmap + 14);
    const std::size_t palette = d.bits < 32 ? (std::size_t{1} << d.bits) * 4 : 0;
    d.colours = d.bitmap + 40 + palette;
    const std::size_t colourRow = ((width * d.bits + 31) / 32) * 4;
    d.mask = d.colours + colourRow * height;
    return d;
}

TEST(WinRes, CursorKeepsItsHotspotAndMasksTransparentPixelsWithBlack) {
    // Top row: transparent, white, black, transparent; bottom row all white.
    IconImage image = picture({".wk.", "wwww"}, {{'w', 0xFFFFFF}, {'k', 0x000000}});
    image.hotspotX = 1;
    const auto file = encodeIconFile({image}, true);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(read16(file, 2), 2u); // cursor
    EXPECT_EQ(read16(file, 4), 1u);
    EXPECT_EQ(file[6], 4);
    EXPECT_EQ(file[7], 2);
    EXPECT_EQ(read16(file, 6 + 4), 1u); // hotspot x
    EXPECT_EQ(read16(file, 6 + 6), 0u); // hotspot y
    EXPECT_EQ(read32(file, 6 + 8) + read32(file, 6 + 12), file.size());

    const Decoded d = decode(file, 4, 2);
    EXPECT_EQ(d.bits, 1u);
    EXPECT_EQ(read32(file, d.bitmap + 8), 4u); // colour rows + mask rows
    EXPECT_EQ(read32(file, d.bitmap + 40), 0u) << "palette entry 0 must be black";
    // Rows are stored bottom-up: the top row is the second of each block.
    EXPECT_EQ(file[d.colours + 4] & 0xF0, 0x40) << "only the white pixel has colour";
    EXPECT_EQ(file[d.colours] & 0xF0, 0xF0);
    EXPECT_EQ(file[d.mask + 4] & 0xF0, 0x90) << "the two transparent pixels";
    EXPECT_EQ(file[d.mask] & 0xF0, 0x00);
}

TEST(WinRes, DepthFollowsTheNumberOfColours) {
    std::vector<std::pair<char, std::uint32_t>> colours;
    std::string row;
    for (int i = 0; i < 16; ++i) {
        const char symbol = static_cast<char>('a' + i);
        colours.push_back({symbol, static_cast<std::uint32_t>(i * 16 + 15) << 16});
        row.push_back(symbol);
    }
    // Fifteen colours beside black fit four bits; sixteen need the full depth.
    colours.push_back({'z', 0});
    const IconImage fits = picture({row.substr(1) + "z"}, colours);
    EXPECT_EQ(decode(encodeIconFile({fits}, false), 16, 1).bits, 4u);
    const IconImage tooMany = picture({row}, colours);
    const auto file = encodeIconFile({tooMany}, false);
    const Decoded d = decode(file, 16, 1);
    ASSERT_EQ(d.bits, 32u);
    EXPECT_EQ(read32(file, d.colours), 0xFF0F0000u); // opaque, red 0x0F
}

TEST(WinRes, IconOfTwoSizesPointsEachEntryAtItsOwnBitmap) {
    const IconImage large =
        picture(std::vector<std::string>(32, std::string(32, 'b')), {{'b', 0x0000FF}});
    const IconImage small = picture(std::vector<std::string>(16, std::string(16, '.')), {});
    const auto file = encodeIconFile({large, small}, false);
    ASSERT_EQ(read16(file, 4), 2u);
    EXPECT_EQ(file[6 + 16], 16);
    const std::uint32_t second = read32(file, 6 + 16 + 12);
    EXPECT_EQ(read32(file, 6 + 12) + read32(file, 6 + 8), second);
    EXPECT_EQ(read32(file, second + 4), 16u);
    EXPECT_EQ(second + read32(file, 6 + 16 + 8), file.size());
}

} // namespace
