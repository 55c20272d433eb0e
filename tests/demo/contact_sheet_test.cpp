#include <gtest/gtest.h>

#include "tools/screens/contact_sheet.h"

namespace {

constexpr std::uint16_t rgb(int r, int g, int b) {
    return static_cast<std::uint16_t>((r << 10) | (g << 5) | b);
}

screens::Picture solid(int width, int height, std::uint16_t colour) {
    screens::Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<std::size_t>(width) * height, colour);
    return p;
}

TEST(ContactSheet, HalvesEachPictureIntoItsOwnCell) {
    screens::Picture checker = solid(4, 2, 0);
    // Left block averages four different channels; right block is uniform.
    checker.pixels[0] = rgb(31, 0, 0);
    checker.pixels[1] = rgb(0, 31, 0);
    checker.pixels[4] = rgb(0, 0, 31);
    checker.pixels[5] = rgb(1, 2, 3);
    checker.pixels[2] = checker.pixels[3] = checker.pixels[6] = checker.pixels[7] = rgb(9, 9, 9);
    screens::Picture plain = solid(4, 2, rgb(31, 31, 31));

    // Two to a row, three pictures: the last row holds one, the grid keeps its size.
    screens::Picture sheet = screens::composeSheet({checker, plain, plain}, 2, 1);
    ASSERT_EQ(sheet.width, 2 * 2 + 3 * 1);
    ASSERT_EQ(sheet.height, 2 * 1 + 3 * 1);
    auto at = [&](int x, int y) {
        return sheet.pixels[static_cast<std::size_t>(y) * sheet.width + x];
    };

    EXPECT_EQ(at(1, 1), rgb(8, 8, 9)); // (31+1+2)/4 rounded, and so on per channel
    EXPECT_EQ(at(2, 1), rgb(9, 9, 9));
    EXPECT_EQ(at(4, 1), rgb(31, 31, 31));
    EXPECT_EQ(at(1, 3), rgb(31, 31, 31));
    // Gaps and the empty last cell keep the background.
    EXPECT_EQ(at(0, 0), at(3, 1));
    EXPECT_EQ(at(0, 0), at(4, 3));
    EXPECT_NE(at(0, 0), rgb(31, 31, 31));
    EXPECT_TRUE(screens::composeSheet({}, 4, 8).pixels.empty());
}

} // namespace
