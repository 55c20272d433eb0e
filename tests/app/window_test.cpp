// The window: opening and closing, its size limits, paint and size messages, what
// presentation puts on the screen, and the input the window procedure latches.
#include <memory>

#include "app/main_loop.h"
#include "datafile/directory.h"
#include "platform/messages.h"
#include "tests/app/shell_test_support.h"
#include "wizard/devices.h"

namespace {

class WindowTest : public ShellTest {
  protected:
    int open() {
        Directory here;
        return app.openGraphics(640, 480, "Title", false, here, -1, -1, -1, -1);
    }
    CountingApp app;
};

class OpenApp : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeFonts();
        ASSERT_EQ(open(), 0);
    }
    KEYBOARD keyboard;
    std::uint8_t character = 0xFF;
    std::uint32_t key = 0;
};

std::pair<int, int> xy(int x, int y) {
    return {x, y};
}

void expectSurfaceMatchesBuffer() {
    std::vector<std::uint16_t> expected;
    for (std::int16_t y = 0; y < screen.height; ++y)
        for (std::int16_t x = 0; x < screen.width; ++x)
            expected.push_back(pixelRow(y)[x] & 0x7FFF);
    EXPECT_TRUE(headless::surface() == expected);
}

TEST_F(WindowTest, FixedWindowIsCentredItsLimitsPinTheOuterSizeAndASmallDeskShrinksIt) {
    writeFonts();
    ASSERT_EQ(open(), 0);
    const auto& window = headless::window();
    EXPECT_EQ(window.style & (win::kWsThickFrame | win::kWsMaximizeBox), 0u);
    EXPECT_NE(window.style & win::kWsMinimizeBox, 0u);
    EXPECT_EQ(xy(window.clientWidth, window.clientHeight), xy(640, 480));
    // Work area 1024 x 768 read as right - left + 1; fixed frame 3, caption 19.
    EXPECT_EQ(xy(window.outerWidth, window.outerHeight), xy(646, 505));
    EXPECT_EQ(xy(window.x, window.y), xy((1025 - 646) / 2, (769 - 505) / 2));

    win::MinMaxInfo info{};
    windowProcedure(screen.window, win::kWmGetMinMaxInfo, 0, reinterpret_cast<LParam>(&info));
    for (const win::Point& size : {info.ptMaxSize, info.ptMinTrackSize, info.ptMaxTrackSize})
        EXPECT_EQ(xy(size.x, size.y), xy(646, 505));
    EXPECT_EQ(xy(info.ptMaxPosition.x, info.ptMaxPosition.y), xy(window.x, window.y));

    app.closeGraphics();
    headless::DesktopConfig small;
    small.workArea = {0, 0, 499, 399};
    headless::install(small);
    ASSERT_EQ(open(), 0);
    EXPECT_EQ(xy(screen.width, screen.height), xy(500 - 6, 400 - 19 - 6));
    EXPECT_EQ(xy(headless::window().clientWidth, headless::window().clientHeight),
              xy(screen.width, screen.height));
    EXPECT_EQ(headless::window().x, 0);
}

TEST_F(WindowTest, FailedFontKeepsEarlierSlotsAndCloseReleasesTwiceSafely) {
    writeFonts(3);
    EXPECT_EQ(open(), RenderFontNotOpened);
    ASSERT_NE(screen.fontSlots, nullptr);
    for (int slot = 0; slot < FontSlotCount; ++slot)
        EXPECT_EQ(screen.fontSlots[slot] != nullptr, slot < 3) << slot;
    // The window stays up until the application closes it.
    EXPECT_TRUE(headless::window().visible);

    app.closeGraphics();
    EXPECT_FALSE(headless::window().exists);
    EXPECT_EQ(screen.window, nullptr);
    EXPECT_EQ(screen.buffer, nullptr);
    EXPECT_EQ(screen.fontSlots, nullptr);
    app.closeGraphics();
}

TEST_F(OpenApp, PaintBeforeTheLoopOnlyValidatesMinimiseIsIgnoredRestoreRebuilds) {
    ASSERT_TRUE(headless::paintPending());
    app.pumpMessages();
    EXPECT_FALSE(headless::paintPending());
    EXPECT_EQ(app.builds, 0);

    int drains = 0;
    headless::setPumpHook([&] {
        if (++drains == 2) {
            headless::resizeClient(0, 0, win::kSizeMinimized);
        } else if (drains == 3) {
            // Minimised: nothing is reallocated, nothing repainted.
            EXPECT_EQ(app.builds, 0);
            EXPECT_EQ(screen.width, 640);
            headless::resizeClient(600, 400, win::kSizeRestored);
        } else if (drains == 4) {
            headless::post(win::kWmClose);
        }
    });
    runMainLoop();
    // The first step, then one step after each of the four pumps.
    EXPECT_EQ(app.steps, 5);
    EXPECT_EQ(drains, 4);
    EXPECT_EQ(app.builds, 1);
    EXPECT_EQ(xy(screen.width, screen.height), xy(600, 400));
    expectSurfaceMatchesBuffer();
    EXPECT_FALSE(shell::running);
    // Closing is the main loop's decision, not the window's.
    EXPECT_TRUE(headless::window().visible);
}

TEST_F(OpenApp, FirstPaintInTheLoopDiscardsLatchedInputAndPresentsTheDirtyRectangle) {
    MOUSE mouse;
    headless::pressKey('X', 'x');
    headless::post(win::kWmLButtonDown, 1);
    headless::post(win::kWmRButtonDown, 2);
    headless::post(win::kWmMButtonDown, 16);
    app.stepsUntilDone = 2;
    runMainLoop();
    ASSERT_EQ(app.builds, 1);
    EXPECT_FALSE(keyboard.readKey(character, key));
    EXPECT_EQ(input::rightButton, 0);
    // The middle button is not the wizard's business and keeps its state; the left
    // one is still held, and only its release may end a press.
    EXPECT_EQ(input::middleButton, 1);
    EXPECT_EQ(input::leftButton, 1);
    expectSurfaceMatchesBuffer();

    // Outside the loop each pump still presents what was drawn since.
    pixelRow(100)[200] = 0x7C00;
    std::int16_t x0 = 200, y0 = 100, x1 = 200, y1 = 100;
    clipToScreen(x0, y0, x1, y1);
    const int presents = headless::presentCount();
    app.pumpMessages();
    EXPECT_EQ(headless::presentCount(), presents + 1);
    EXPECT_EQ(headless::surface()[100 * 640 + 200], 0x7C00);
}

// Between two frames only the newest key and character survive; mouse messages
// unpack signed coordinates and wheel deltas.
TEST_F(OpenApp, InputMessagesLatchTheNewestKeyAndSignedMousePositions) {
    MOUSE mouse;
    headless::pressKey('A', 'a');
    headless::pressKey('B', 'b');
    headless::pressKey(win::kVkF1 + 4);
    headless::post(win::kWmMouseMove, 0, win::makeLParam(-3, 470));
    headless::post(win::kWmLButtonDown, 1, win::makeLParam(-3, 470));
    headless::post(win::kWmMouseWheel, win::makeWParam(0, -120));
    headless::post(win::kWmMouseWheel, win::makeWParam(0, 240));
    app.pumpMessages();
    EXPECT_TRUE(keyboard.readKey(character, key));
    EXPECT_EQ(key, win::kVkF1 + 4);
    // F5 makes no character, so the 'b' of the key before it is still latched.
    EXPECT_EQ(character, 'b');
    EXPECT_FALSE(keyboard.readKey(character, key));
    EXPECT_EQ(character, 0);
    EXPECT_EQ(key, 0u);

    std::int16_t x = 0, y = 0;
    mouse.getPosition(x, y);
    EXPECT_EQ(xy(x, y), xy(-3, 470));
    std::uint8_t down = 0;
    mouse.getLeftButton(down);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(input::wheelTotal, 120);

    headless::post(win::kWmLButtonUp, 0, win::makeLParam(10, 20));
    app.pumpMessages();
    mouse.getLeftButton(down);
    EXPECT_EQ(down, 0);
}

TEST_F(ShellTest, MouseShowsBusyThenItsStateAndRestoresTheCursorItFound) {
    auto mouse = std::make_unique<MOUSE>();
    EXPECT_EQ(headless::cursorChanges(), std::vector<int>{CursorBusyResource});
    mouse->setCursorState(CursorArrow);
    mouse->setCursorState(CursorArrow);
    EXPECT_EQ(headless::cursorChanges(),
              (std::vector<int>{CursorBusyResource, CursorArrowResource}));
    // Something else took the cursor: the next move puts the arrow back once.
    headless::ops().setCursor(nullptr);
    mouse->refreshCursor();
    mouse->refreshCursor();
    EXPECT_EQ(headless::currentCursor(), CursorArrowResource);
    EXPECT_EQ(headless::cursorChanges().size(), 4u);
    mouse.reset();
    EXPECT_EQ(headless::currentCursor(), -1);
    EXPECT_EQ(headless::liveCursorCount(), 0);
}

} // namespace
