#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tools/winres/icon_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le(const Bytes& data, std::size_t at, int size = 4) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | data[at + i];
    return value;
}

// One character per pixel; a character missing from colours is transparent.
IconImage picture(const std::vector<std::string>& rows,
                  const std::map<char, std::uint32_t>& colours) {
    IconImage image{static_cast<int>(rows[0].size()), static_cast<int>(rows.size())};
    for (const std::string& row : rows)
        for (char c : row)
            image.pixels.push_back(colours.contains(c) ? 0xFF000000u | colours.at(c) : 0);
    return image;
}

// Where the single image of a file keeps its depth, colour rows and mask rows.
struct Decoded {
    std::size_t bitmap;
    std::uint32_t bits;
    std::size_t colours, mask;
};

Decoded decode(const Bytes& file, int width, int height) {
    Decoded d{le(file, 6 + 12)};
    d.bits = le(file, d.bitmap + 14, 2);
    d.colours = d.bitmap + 40 + (d.bits < 32 ? std::size_t{4} << d.bits : 0);
    d.mask = d.colours + (width * d.bits + 31) / 32 * 4 * height;
    return d;
}

TEST(WinRes, CursorKeepsItsHotspotAndMasksTransparentPixelsWithBlack) {
    // Top row: transparent, white, black, transparent; bottom row all white.
    IconImage image = picture({".wk.", "wwww"}, {{'w', 0xFFFFFF}, {'k', 0x000000}});
    image.hotspotX = 1;
    const auto file = encodeIconFile({image}, true);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(le(file, 2, 2), 2u); // cursor
    EXPECT_EQ(file[6], 4);
    EXPECT_EQ(file[7], 2);
    EXPECT_EQ(le(file, 6 + 4, 2), 1u); // hotspot x
    EXPECT_EQ(le(file, 6 + 6, 2), 0u); // hotspot y

    const Decoded d = decode(file, 4, 2);
    EXPECT_EQ(d.bits, 1u);
    EXPECT_EQ(le(file, d.bitmap + 8), 4u); // colour rows + mask rows
    EXPECT_EQ(le(file, d.bitmap + 40), 0u) << "palette entry 0 must be black";
    // Rows are stored bottom-up: the top row is the second of each block.
    EXPECT_EQ(file[d.colours + 4] & 0xF0, 0x40) << "only the white pixel has colour";
    EXPECT_EQ(file[d.colours] & 0xF0, 0xF0);
    EXPECT_EQ(file[d.mask + 4] & 0xF0, 0x90) << "the two transparent pixels";
    EXPECT_EQ(file[d.mask] & 0xF0, 0x00);
}

// Fifteen colours beside black fit four bits; sixteen need the full depth. In a file
// of two sizes each entry points at its own bitmap.
TEST(WinRes, DepthFollowsTheNumberOfColoursAndEachSizeHasItsOwnBitmap) {
    std::map<char, std::uint32_t> colours{{'z', 0}};
    const std::string row = "abcdefghijklmnop";
    for (char c : row)
        colours[c] = static_cast<std::uint32_t>((c - 'a') * 16 + 15) << 16;
    const IconImage fits = picture({row.substr(1) + "z"}, colours);
    EXPECT_EQ(decode(encodeIconFile({fits}, false), 16, 1).bits, 4u);
    const IconImage tooMany = picture({row}, colours);
    const IconImage small = picture(std::vector<std::string>(8, std::string(8, '.')), {});
    const auto file = encodeIconFile({tooMany, small}, false);
    ASSERT_EQ(le(file, 4, 2), 2u);
    const Decoded d = decode(file, 16, 1);
    ASSERT_EQ(d.bits, 32u);
    EXPECT_EQ(le(file, d.colours), 0xFF0F0000u); // opaque, red 0x0F
    EXPECT_EQ(file[6 + 16], 8);
    const std::uint32_t second = le(file, 6 + 16 + 12);
    EXPECT_EQ(le(file, 6 + 12) + le(file, 6 + 8), second);
    EXPECT_EQ(le(file, second + 4), 8u);
    EXPECT_EQ(second + le(file, 6 + 16 + 8), file.size());
}

} // namespace
