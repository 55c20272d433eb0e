#include "render/draw.h"
#include "render_fixture.h"

namespace {

using ScreenTest = RenderTest;

TEST_F(ScreenTest, AllocationPadsOddRowsAndStartsBlackAndWhollyDirty) {
    ASSERT_EQ(allocateFrameBuffer(640, 480), RenderOk);
    EXPECT_EQ(screen.pitch, 1280);
    EXPECT_EQ(dirty(), (Box{0, 0, 639, 479}));
    EXPECT_TRUE(painted().empty());

    ASSERT_EQ(allocateFrameBuffer(641, 3), RenderOk);
    EXPECT_EQ(screen.pitch, 1284);
    // A full-width fill must leave each row's spare word alone.
    drawRect(0, 0, 640, 2, RectSolidFill, 0x7FFF, 0);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(pixel(640, y), 0x7FFF);
        EXPECT_EQ(pixel(641, y), 0);
    }
}

TEST_F(ScreenTest, PresentHandsOverTheDirtyRectOnceAndOnlyWhileReady) {
    useScreen(640, 480);
    drawLine(3, 479, 9, 479, LineSolid, 0x7FFF);
    drawLine(5, 470, 5, 478, LineSolid, 0x7FFF); // grows only the top
    presentDirtyRect();
    presentDirtyRect();
    EXPECT_EQ(presented, (std::vector<Box>{{3, 470, 9, 479}}));
    EXPECT_EQ(dirty(), (Box{-1, -1, -1, -1}));

    // A refused size also drops the previous buffer.
    EXPECT_EQ(allocateFrameBuffer(0, 10), RenderNoFrameBufferMemory);
    EXPECT_EQ(drawLine(0, 0, 5, 5, LineSolid, 0x7FFF), RenderNotReady);
    EXPECT_EQ(allocateFrameBuffer(10, 0), RenderNoFrameBufferMemory);

    useScreen(16, 16);
    screen.settingUp = true;
    EXPECT_EQ(drawLine(0, 0, 5, 0, LineSolid, 0x7FFF), RenderNotReady);
    EXPECT_EQ(drawRect(0, 0, 5, 5, RectSolidFill, 0x7FFF, 0), RenderNotReady);
    EXPECT_EQ(dirty(), (Box{-1, -1, -1, -1}));
    screen.settingUp = false;
    EXPECT_TRUE(painted().empty());

    // A freed buffer is never handed over, even with a dirty rect pending.
    drawLine(0, 0, 5, 0, LineSolid, 0x7FFF);
    freeFrameBuffer();
    EXPECT_EQ(drawRect(0, 0, 5, 5, RectSolidFill, 0x7FFF, 0), RenderNotReady);
    presentDirtyRect();
    EXPECT_EQ(presented.size(), 1u);
}

} // namespace
