#include <cstring>

#include "render/draw.h"
#include "render_fixture.h"

namespace {

using ScreenTest = RenderTest;

TEST_F(ScreenTest, AllocationPadsOddRowsAndStartsBlackAndWhollyDirty) {
    ASSERT_EQ(allocateFrameBuffer(640, 480), RenderOk);
    EXPECT_EQ(screen.pitch, 1280);
    expectDirty(0, 0, 639, 479);
    EXPECT_TRUE(painted().empty());

    ASSERT_EQ(allocateFrameBuffer(641, 3), RenderOk);
    EXPECT_EQ(screen.pitch, 1284);
    EXPECT_EQ(screenWidth(), 641);
    EXPECT_EQ(screenHeight(), 3);
    // A full-width fill must leave each row's spare word alone.
    drawRect(0, 0, 640, 2, RectSolidFill, 0x7FFF, 0);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(pixel(640, y), 0x7FFF);
        EXPECT_EQ(pixel(641, y), 0);
    }
}

TEST_F(ScreenTest, NonPositiveSizeIsRefused) {
    EXPECT_EQ(allocateFrameBuffer(0, 10), RenderNoFrameBufferMemory);
    EXPECT_FALSE(isScreenReady());
    EXPECT_EQ(allocateFrameBuffer(10, -1), RenderNoFrameBufferMemory);
    EXPECT_EQ(drawLine(0, 0, 5, 5, LineSolid, 0x7FFF), RenderNotReady);
}

TEST_F(ScreenTest, ClipClampsOrdersAndGrowsDirtyRect) {
    useScreen(640, 480);
    std::int16_t x0 = -5, y0 = 10, x1 = 700, y1 = 3;
    clipToScreen(x0, y0, x1, y1);
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(y0, 3);
    EXPECT_EQ(x1, 639);
    EXPECT_EQ(y1, 10);
    expectDirty(0, 3, 639, 10);

    std::int16_t a = 100, b = 100, c = 120, d = 120;
    clipToScreen(a, b, c, d);
    expectDirty(0, 3, 639, 120);

    std::int16_t l0 = -20, t0 = 5, l1 = -10, t1 = 8;
    clipToScreen(l0, t0, l1, t1);
    EXPECT_EQ(l0, 0);
    EXPECT_EQ(l1, 0);
    EXPECT_EQ(t0, 5);
    EXPECT_EQ(t1, 8);
}

TEST_F(ScreenTest, PresentHandsOverTheDirtyRectOnce) {
    useScreen(640, 480);
    drawLine(3, 479, 9, 479, LineSolid, 0x7FFF);
    presentDirtyRect();
    presentDirtyRect();
    ASSERT_EQ(presentedRects().size(), 1u);
    const PresentedRect& r = presentedRects()[0];
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.right, 9);
    EXPECT_EQ(r.top, 479);
    EXPECT_EQ(r.bottom, 479);
    expectDirty(-1, -1, -1, -1);
}

TEST_F(ScreenTest, NotReadyScreenDrawsNothingAndKeepsDirtyRect) {
    useScreen(16, 16);
    screen.settingUp = true;
    EXPECT_FALSE(isScreenReady());
    EXPECT_EQ(drawLine(0, 0, 5, 0, LineSolid, 0x7FFF), RenderNotReady);
    EXPECT_EQ(drawRect(0, 0, 5, 5, RectSolidFill, 0x7FFF, 0), RenderNotReady);
    expectDirty(-1, -1, -1, -1);
    screen.settingUp = false;
    EXPECT_TRUE(painted().empty());

    freeFrameBuffer();
    EXPECT_EQ(drawRect(0, 0, 5, 5, RectSolidFill, 0x7FFF, 0), RenderNotReady);
    presentDirtyRect();
    EXPECT_TRUE(presentedRects().empty());
}

} // namespace
