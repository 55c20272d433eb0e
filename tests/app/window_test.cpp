// The window: opening and closing, its size limits, paint and size messages, and
// what presentation puts on the screen.
#include "app/devices.h"
#include "app/main_loop.h"
#include "datafile/directory.h"
#include "platform/messages.h"
#include "render/font.h"
#include "render/screen.h"
#include "tests/app/shell_test_support.h"

namespace {

using WindowTest = ShellTest;

int openDefault(CountingApp& app) {
    Directory here;
    return app.openGraphics(640, 480, "Title", false, here, -1, -1, -1, -1);
}

void expectSurfaceMatchesBuffer() {
    const auto& surface = headless::surface();
    ASSERT_EQ(surface.size(), static_cast<std::size_t>(screen.width) * screen.height);
    for (std::int16_t y = 0; y < screen.height; ++y) {
        const Colour555* row = pixelRow(y);
        for (std::int16_t x = 0; x < screen.width; ++x) {
            ASSERT_EQ(surface[static_cast<std::size_t>(y) * screen.width + x], row[x] & 0x7FFF)
                << "at " << x << "," << y;
        }
    }
}

TEST_F(WindowTest, FixedWindowIsCentredAndItsLimitsPinTheOuterSize) {
    writeFonts();
    CountingApp app;
    ASSERT_EQ(openDefault(app), 0);

    const auto& window = headless::window();
    EXPECT_EQ(window.className, "main");
    EXPECT_EQ(window.style & (win::kWsThickFrame | win::kWsMaximizeBox), 0u);
    EXPECT_NE(window.style & win::kWsMinimizeBox, 0u);
    EXPECT_EQ(window.clientWidth, 640);
    EXPECT_EQ(window.clientHeight, 480);
    // Work area 1024 x 768 read as right - left + 1; fixed frame 3, caption 19.
    EXPECT_EQ(window.outerWidth, 646);
    EXPECT_EQ(window.outerHeight, 505);
    EXPECT_EQ(window.x, (1025 - 646) / 2);
    EXPECT_EQ(window.y, (769 - 505) / 2);

    win::MinMaxInfo info{};
    info.ptReserved = {77, 77};
    windowProcedure(screen.window, win::kWmGetMinMaxInfo, 0, reinterpret_cast<LParam>(&info));
    EXPECT_EQ(info.ptReserved.x, 77);
    for (const win::Point& size : {info.ptMaxSize, info.ptMinTrackSize, info.ptMaxTrackSize}) {
        EXPECT_EQ(size.x, 646);
        EXPECT_EQ(size.y, 505);
    }
    EXPECT_EQ(info.ptMaxPosition.x, (1025 - 646) / 2);
    EXPECT_EQ(info.ptMaxPosition.y, (769 - 505) / 2);
}

TEST_F(WindowTest, ResizableLimitsArePairedFittedAndCappedByTheWorkArea) {
    writeFonts();
    CountingApp app;
    Directory here;
    // The height pair is incomplete and drops out; the width pair stays.
    ASSERT_EQ(app.openGraphics(640, 480, "T", true, here, 200, -1, 700, 2000), 0);
    EXPECT_NE(headless::window().style & win::kWsThickFrame, 0u);

    win::MinMaxInfo info{};
    windowProcedure(screen.window, win::kWmGetMinMaxInfo, 0, reinterpret_cast<LParam>(&info));
    // A minimum above the requested width comes down to it; the maximum is cut to
    // the work area.
    EXPECT_EQ(info.ptMinTrackSize.x, 640 + 8);
    EXPECT_EQ(info.ptMaxTrackSize.x, 1025);
    EXPECT_EQ(info.ptMaxSize.x, 1025);
    EXPECT_EQ(info.ptMaxPosition.x, 0);
    EXPECT_EQ(info.ptMinTrackSize.y, 480 + 19 + 8);
    EXPECT_EQ(info.ptMaxTrackSize.y, 480 + 19 + 8);
}

TEST_F(WindowTest, SmallWorkAreaShrinksTheClientAndTheBuffer) {
    writeFonts();
    headless::DesktopConfig config;
    config.workArea = {0, 0, 499, 399};
    installDesktop(config);
    CountingApp app;
    ASSERT_EQ(openDefault(app), 0);
    EXPECT_EQ(screen.width, 500 - 6);
    EXPECT_EQ(screen.height, 400 - 19 - 6);
    EXPECT_EQ(headless::window().clientWidth, screen.width);
    EXPECT_EQ(headless::window().clientHeight, screen.height);
    EXPECT_EQ(headless::window().x, 0);
}

TEST_F(WindowTest, FailedFontKeepsEarlierSlotsAndCloseReleasesTwiceSafely) {
    writeFonts(3);
    CountingApp app;
    EXPECT_EQ(openDefault(app), RenderFontNotOpened);
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

TEST_F(WindowTest, PaintOutsideTheLoopOnlyValidates) {
    writeFonts();
    CountingApp app;
    ASSERT_EQ(openDefault(app), 0);
    ASSERT_TRUE(headless::paintPending());
    app.pumpMessages();
    EXPECT_FALSE(headless::paintPending());
    EXPECT_EQ(app.builds, 0);
}

TEST_F(WindowTest, CloseTakesEffectAfterOneMoreFrame) {
    writeFonts();
    CountingApp app;
    ASSERT_EQ(openDefault(app), 0);
    int drains = 0;
    headless::setPumpHook([&] {
        if (++drains == 3)
            headless::post(win::kWmClose);
    });
    runMainLoop();
    // The first step, then one step after each of the three pumps.
    EXPECT_EQ(app.steps, 4);
    EXPECT_EQ(drains, 3);
    EXPECT_EQ(app.builds, 1);
    EXPECT_FALSE(shell::running);
    // Closing is the main loop's decision, not the window's.
    EXPECT_TRUE(headless::window().visible);
}

TEST_F(WindowTest, PresentationCopiesTheBufferWithoutItsFlagBit) {
    writeFonts();
    CountingApp app;
    ASSERT_EQ(openDefault(app), 0);
    app.stepsUntilDone = 2;
    runMainLoop();
    ASSERT_EQ(app.builds, 1);
    expectSurfaceMatchesBuffer();

    // Only the dirty rectangle travels: a pixel changed outside it stays behind.
    pixelRow(5)[5] = 0x1234;
    pixelRow(100)[200] = 0x7C00;
    std::int16_t x0 = 200, y0 = 100, x1 = 200, y1 = 100;
    clipToScreen(x0, y0, x1, y1);
    const int presents = headless::presentCount();
    app.pumpMessages();
    EXPECT_EQ(headless::presentCount(), presents + 1);
    EXPECT_EQ(headless::surface()[100 * 640 + 200], 0x7C00);
    EXPECT_NE(headless::surface()[5 * 640 + 5], 0x1234);
}

TEST_F(WindowTest, MinimiseIgnoredRestoreReallocatesAndRebuilds) {
    writeFonts();
    CountingApp app;
    ASSERT_EQ(openDefault(app), 0);
    KEYBOARD keyboard;
    MOUSE mouse;
    int drain = 0;
    headless::setPumpHook([&] {
        switch (++drain) {
        case 2:
            headless::resizeClient(0, 0, win::kSizeMinimized);
            break;
        case 3:
            // Minimised: nothing is reallocated, nothing repainted.
            EXPECT_EQ(app.builds, 1);
            EXPECT_EQ(screen.width, 640);
            headless::post(win::kWmKeyDown, 'A');
            headless::post(win::kWmLButtonDown, 1);
            headless::resizeClient(600, 400, win::kSizeRestored);
            break;
        case 4:
            headless::post(win::kWmClose);
            break;
        default:
            break;
        }
    });
    runMainLoop();
    EXPECT_EQ(app.builds, 2);
    EXPECT_EQ(screen.width, 600);
    EXPECT_EQ(screen.height, 400);
    // The rebuild threw away what was latched before it.
    EXPECT_EQ(input::keyLatch, 0u);
    EXPECT_EQ(input::leftButton, 0);
    expectSurfaceMatchesBuffer();
}

} // namespace
