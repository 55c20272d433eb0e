#include <utility>
#include <vector>

#include "render/draw.h"
#include "render_fixture.h"

namespace {

using Points = std::vector<std::pair<int, int>>;
using DrawTest = RenderTest;

Points sorted(Points points) {
    std::sort(points.begin(), points.end(), [](auto& a, auto& b) {
        return std::pair(a.second, a.first) < std::pair(b.second, b.first);
    });
    return points;
}

std::vector<Colour555> row(int y, int x0, int x1) {
    std::vector<Colour555> values;
    for (int x = x0; x <= x1; ++x) {
        values.push_back(pixelRow(static_cast<std::int16_t>(y))[x]);
    }
    return values;
}

TEST_F(DrawTest, DashedRunRestartsAtTheClampedEnd) {
    useScreen(20, 4);
    drawLine(2, 1, 15, 1, LineDashed, 0x7FFF);
    EXPECT_EQ(
        sorted(painted()),
        (Points{
            {2, 1}, {3, 1}, {4, 1}, {5, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1}, {14, 1}, {15, 1}}));

    // Drawn from off-screen, the pattern is counted from column 0.
    useScreen(20, 4);
    drawLine(-3, 2, 7, 2, LineDashed, 0x7FFF);
    EXPECT_EQ(row(2, 0, 7),
              (std::vector<Colour555>{0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF, 0, 0, 0x7FFF, 0x7FFF}));
}

TEST_F(DrawTest, SlopedWalksStartAtTheLowMajorEnd) {
    useScreen(16, 16);
    drawLine(0, 0, 9, 3, LineSolid, 0x7FFF);
    const Points shallow{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1},
                         {5, 2}, {6, 2}, {7, 2}, {8, 3}, {9, 3}};
    EXPECT_EQ(sorted(painted()), sorted(shallow));
    expectDirty(0, 0, 9, 3);

    useScreen(16, 16);
    drawLine(9, 3, 0, 0, LineDashed, 0x7FFF);
    Points dashed = shallow;
    std::erase(dashed, std::pair(4, 1));
    std::erase(dashed, std::pair(5, 2));
    EXPECT_EQ(sorted(painted()), sorted(dashed));

    useScreen(16, 16);
    drawLine(4, 4, 0, 0, LineSolid, 0x1234);
    EXPECT_EQ(sorted(painted()), (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));

    // Steep: y is the major axis, the walk runs top-down.
    useScreen(16, 16);
    drawLine(3, 9, 0, 0, LineSolid, 0x7FFF);
    EXPECT_EQ(sorted(painted()),
              sorted(Points{
                  {0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}, {2, 7}, {3, 8}, {3, 9}}));
}

TEST_F(DrawTest, OffScreenWalkCountsDashesFromTheFirstInsidePixel) {
    useScreen(12, 8);
    drawLine(-5, -6, 30, 11, LineDashed, 0x7FFF);
    EXPECT_EQ(sorted(painted()), (Points{{7, 0}, {8, 0}, {9, 1}, {10, 1}}));
    expectDirty(0, 0, 11, 7);

    // Both ends above the screen: clamped onto row 0 and drawn as a run.
    useScreen(640, 480);
    drawLine(5, 0, 100, -50, LineSolid, 0x7FFF);
    EXPECT_EQ(painted().size(), 96u);
    EXPECT_EQ(pixel(5, 0), 0x7FFF);
    EXPECT_EQ(pixel(100, 0), 0x7FFF);

    // Extreme coordinates must neither overflow nor write outside the buffer.
    useScreen(12, 8);
    drawLine(-32768, -32768, 32767, 32767, LineSolid, 0x7FFF);
    drawLine(32767, -32768, -32768, 32767, LineDashed, 0x7FFF);
    EXPECT_FALSE(painted().empty());
}

TEST_F(DrawTest, RectModesPickTheFirstSetBit) {
    // 0x03 is a dashed outline: the 14-wide top edge has gaps at 4, 5, 10, 11.
    useScreen(20, 20);
    drawRect(13, 9, 0, 0, 0x03, 0x7FFF, 0);
    EXPECT_EQ(pixel(4, 0), 0);
    EXPECT_EQ(pixel(6, 0), 0x7FFF);
    EXPECT_EQ(pixel(13, 4), 0);
    EXPECT_EQ(pixel(5, 5), 0);

    // 0x18 is the right-to-left gradient, 0xC0 the top-to-bottom one.
    useScreen(5, 3);
    drawRect(0, 0, 4, 0, 0x18, 0x7C00, 0x0000);
    EXPECT_EQ(row(0, 0, 4), (std::vector<Colour555>{0x0000, 0x1C00, 0x4000, 0x5C00, 0x7C00}));
    useScreen(4, 3);
    drawRect(0, 0, 3, 2, 0xC0, 0x0000, 0x0013);
    EXPECT_EQ(row(1, 0, 3), (std::vector<Colour555>{0x0009, 0x000A, 0x0009, 0x000A}));

    // 0 draws nothing yet still counts as drawn.
    useScreen(20, 20);
    drawRect(2, 3, 30, 4, 0x00, 0x7FFF, 0);
    EXPECT_TRUE(painted().empty());
    expectDirty(2, 3, 19, 4);
}

TEST_F(DrawTest, SolidShapesKeepBitFifteen) {
    useScreen(7, 5);
    fill(0x1111);
    drawRect(1, 1, 5, 3, RectSolidFill, 0x8000, 0);
    EXPECT_EQ(pixel(1, 1), 0x8000);
    EXPECT_EQ(pixel(5, 3), 0x8000);
    EXPECT_EQ(pixel(0, 1), 0x1111);
    EXPECT_EQ(pixel(6, 3), 0x1111);
    EXPECT_EQ(pixel(5, 4), 0x1111);
    EXPECT_EQ(painted(0x1111).size(), 15u);

    drawRect(0, 0, 6, 4, RectSolidOutline, 0xFFFF, 0);
    EXPECT_EQ(painted(0xFFFF).size(), 15u); // the interior
}

TEST_F(DrawTest, HorizontalGradientsCarryErrorAlongEachRow) {
    useScreen(5, 3);
    drawRect(0, 0, 4, 2, RectGradientLeftToRight, 0x7C00, 0x0000);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(row(y, 0, 4), (std::vector<Colour555>{0x7C00, 0x5C00, 0x3C00, 0x2000, 0x0000}));
    }

    useScreen(5, 2);
    fill(0x7FFF);
    pixelRow(1)[2] = 0x0000;
    drawRect(0, 0, 4, 1, RectGradientLeftToRight, 0x8000, KeepExisting);
    EXPECT_EQ(row(0, 0, 4), (std::vector<Colour555>{0x0000, 0x1CE7, 0x4210, 0x5EF7, 0x7FFF}));
    // Each pixel blends from what it was.
    EXPECT_EQ(pixel(2, 1), 0x0000);
}

TEST_F(DrawTest, VerticalGradientsDitherRowsAndSingleLinesAreSafe) {
    useScreen(4, 3);
    drawRect(0, 0, 3, 2, RectGradientBottomToTop, 0x0013, 0x0000);
    EXPECT_EQ(row(0, 0, 3), (std::vector<Colour555>(4, 0x0000)));
    EXPECT_EQ(row(1, 0, 3), (std::vector<Colour555>{0x0009, 0x000A, 0x0009, 0x000A}));
    EXPECT_EQ(row(2, 0, 3), (std::vector<Colour555>(4, 0x0013)));

    // Over a wide row the dither pattern repeats every eight pixels.
    useScreen(20, 9);
    drawRect(0, 0, 19, 8, RectGradientBottomToTop, 0x001F, 0x0000);
    std::vector<Colour555> expected;
    for (int x = 0; x < 20; ++x) {
        expected.push_back(x % 8 == 0 ? 3 : 4);
    }
    EXPECT_EQ(row(1, 0, 19), expected);

    // One column or one row has nothing to spread over: it takes the first colour.
    useScreen(4, 3);
    drawRect(2, 0, 2, 2, RectGradientLeftToRight, 0x7C00, 0x001F);
    drawRect(0, 1, 3, 1, RectGradientTopToBottom, 0x03E0, 0x001F);
    EXPECT_EQ(pixel(2, 0), 0x7C00);
    EXPECT_EQ(row(1, 0, 3), (std::vector<Colour555>(4, 0x03E0)));
}

TEST_F(DrawTest, TintMovesTwoThirdsTowardsTheColour) {
    useScreen(3, 3);
    fill(0xFFFF);
    drawRect(0, 0, 0, 2, RectTint, 0x001F, 0);
    drawRect(2, 0, 2, 2, RectTint, 0x7FFF, 0);
    EXPECT_EQ(pixel(0, 1), 0x295F);
    EXPECT_EQ(pixel(2, 1), 0x7FFF);
    EXPECT_EQ(pixel(1, 1), 0xFFFF);

    useScreen(3, 3);
    drawRect(0, 0, 2, 2, RectTint, 0xFFFF, 0);
    EXPECT_EQ(pixel(1, 1), 0x5294);
}

TEST(ShadeColour, ScalesAndSaturatesInBothLayouts) {
    EXPECT_EQ(shadeColour(0x6739, 166, 0), 0x7FFF);
    EXPECT_EQ(shadeColour(0x6739, 66, 0), 0x4210);
    EXPECT_EQ(shadeColour(0xE739, 100, 0), 0x6739);
    EXPECT_EQ(shadeColour(0xFFFF, 50, 1), 0x7BEF);
    EXPECT_EQ(shadeColour(0xFFFF, -50, 0), 0x0000);
    EXPECT_EQ(shadeColour(0xFFFF, -50, 1), 0x0000);
}

} // namespace
