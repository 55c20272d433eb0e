#include "render/draw.h"
#include "render_fixture.h"

namespace {

using DrawTest = RenderTest;

TEST_F(DrawTest, LinesPaintExactlyTheirClippedPixels) {
    struct Case {
        std::int16_t width, height, x0, y0, x1, y1;
        int style;
        Points points;
    };
    // clang-format off
    const Case cases[] = {
        // The dash pattern restarts at the clamped end of a run.
        {20, 4, 2, 1, 15, 1, LineDashed,
         {{2, 1}, {3, 1}, {4, 1}, {5, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1}, {14, 1}, {15, 1}}},
        {8, 4, -3, 2, 7, 2, LineDashed, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {6, 2}, {7, 2}}},
        // One end on row 0, the other above: clamped onto row 0 and drawn as a run.
        {12, 8, 8, 0, 20, -50, LineSolid, {{8, 0}, {9, 0}, {10, 0}, {11, 0}}},
        // Sloped walks start at the low end of the major axis.
        {16, 16, 0, 0, 9, 3, LineSolid,
         {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 2}, {8, 3}, {9, 3}}},
        {16, 16, 9, 3, 0, 0, LineDashed,
         {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {6, 2}, {7, 2}, {8, 3}, {9, 3}}},
        {16, 16, 3, 9, 0, 0, LineSolid,
         {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}, {2, 7}, {3, 8}, {3, 9}}},
        // Off screen the walk counts dashes from the first pixel inside.
        {12, 8, -4, -6, 30, 11, LineDashed, {{7, 0}, {8, 0}, {9, 1}, {10, 1}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1);
        useScreen(c.width, c.height);
        drawLine(c.x0, c.y0, c.x1, c.y1, c.style, 0x7FFF);
        EXPECT_EQ(painted(), c.points);
    }
    EXPECT_EQ(dirty(), (Box{0, 0, 11, 7})); // the whole clamped box of the last line

    // Extreme coordinates must neither overflow nor write outside the buffer.
    useScreen(12, 8);
    drawLine(-32768, -32768, 32767, 32767, LineSolid, 0x7FFF);
    drawLine(32767, -32768, -32768, 32767, LineDashed, 0x7FFF);
    EXPECT_FALSE(painted().empty());
}

TEST_F(DrawTest, RectOutlinesAndSolidFill) {
    // 0x03 picks the dashed outline: the 14-wide top edge has gaps at 4, 5, 10, 11.
    useScreen(20, 20);
    drawRect(13, 9, 0, 0, 0x03, 0x7FFF, 0);
    EXPECT_EQ(pixel(4, 0), 0);
    EXPECT_EQ(pixel(6, 0), 0x7FFF);
    EXPECT_EQ(pixel(13, 4), 0);
    EXPECT_EQ(pixel(5, 5), 0);

    // 0 draws nothing yet still counts as drawn.
    useScreen(20, 20);
    drawRect(2, 3, 30, 4, 0x00, 0x7FFF, 0);
    EXPECT_TRUE(painted().empty());
    EXPECT_EQ(dirty(), (Box{2, 3, 19, 4}));

    // Solid shapes cover exactly their box and keep bit 15.
    useScreen(7, 5);
    fill(0x1111);
    drawRect(1, 1, 5, 3, RectSolidFill, 0x8000, 0);
    EXPECT_EQ(pixel(1, 1), 0x8000);
    EXPECT_EQ(painted(0x1111).size(), 15u);

    drawRect(0, 0, 6, 4, RectSolidOutline, 0xFFFF, 0);
    EXPECT_EQ(painted(0xFFFF).size(), 15u); // the interior
}

TEST_F(DrawTest, GradientsDitherAndBlendAsTintsDo) {
    // Mixed bits pick the first set one: 0x18 is right-to-left, 0xC0 top-to-bottom.
    // Horizontally the error runs along each row and restarts on the next.
    useScreen(5, 3);
    drawRect(0, 0, 4, 2, 0x18, 0x7C00, 0x0000);
    EXPECT_EQ(row(2), (Row{0x0000, 0x1C00, 0x4000, 0x5C00, 0x7C00}));
    useScreen(4, 3);
    drawRect(0, 0, 3, 2, 0xC0, 0x0000, 0x0013);
    EXPECT_EQ(row(0), Row(4, 0x0000));
    EXPECT_EQ(row(1), (Row{0x0009, 0x000A, 0x0009, 0x000A}));
    EXPECT_EQ(row(2), Row(4, 0x0013));

    // Each pixel blends from what it was.
    useScreen(5, 2);
    fill(0x7FFF);
    pixelRow(1)[2] = 0x0000;
    drawRect(0, 0, 4, 1, RectGradientLeftToRight, 0x8000, KeepExisting);
    EXPECT_EQ(row(0), (Row{0x0000, 0x1CE7, 0x4210, 0x5EF7, 0x7FFF}));
    EXPECT_EQ(pixel(2, 1), 0x0000);

    // Over a wide row the dither pattern repeats every eight pixels.
    useScreen(20, 9);
    drawRect(0, 0, 19, 8, RectGradientBottomToTop, 0x001F, 0x0000);
    EXPECT_EQ(row(1), (Row{3, 4, 4, 4, 4, 4, 4, 4, 3, 4, 4, 4, 4, 4, 4, 4, 3, 4, 4, 4}));

    // One column or one row has nothing to spread over: it takes the first colour.
    useScreen(4, 3);
    drawRect(2, 0, 2, 2, RectGradientLeftToRight, 0x7C00, 0x001F);
    drawRect(0, 1, 3, 1, RectGradientTopToBottom, 0x03E0, 0x001F);
    EXPECT_EQ(pixel(2, 0), 0x7C00);
    EXPECT_EQ(row(1), Row(4, 0x03E0));

    // A tint moves each pixel two thirds of the way towards the colour.
    useScreen(3, 3);
    fill(0xFFFF);
    drawRect(0, 0, 0, 2, RectTint, 0x001F, 0);
    drawRect(2, 0, 2, 2, RectTint, 0xFFFF, 0); // bit 15 of either colour is no channel
    EXPECT_EQ(row(1), (Row{0x295F, 0xFFFF, 0x7FFF}));
}

TEST(ShadeColour, ScalesAndSaturatesInBothLayouts) {
    EXPECT_EQ(shadeColour(0x6739, 166, 0), 0x7FFF);
    EXPECT_EQ(shadeColour(0x6739, 66, 0), 0x4210);
    EXPECT_EQ(shadeColour(0xE739, 100, 0), 0x6739);
    EXPECT_EQ(shadeColour(0xA554, 50, 1), 0x52AA);
    EXPECT_EQ(shadeColour(0xFFFF, -50, 0), 0x0000);
}

} // namespace
