// Mouse and keyboard: what the window procedure latches and what the devices
// hand the frame step.
#include "app/devices.h"
#include "app/main_loop.h"
#include "datafile/directory.h"
#include "platform/messages.h"
#include "tests/app/shell_test_support.h"

namespace {

using InputTest = ShellTest;

class OpenApp : public InputTest {
  protected:
    void SetUp() override {
        InputTest::SetUp();
        writeFonts();
        Directory here;
        ASSERT_EQ(app.openGraphics(640, 480, "T", false, here, -1, -1, -1, -1), 0);
    }
    CountingApp app;
    KEYBOARD keyboard;
};

TEST_F(OpenApp, BetweenTwoFramesOnlyTheNewestKeyAndCharacterSurvive) {
    headless::pressKey('A', 'a');
    headless::pressKey(win::kVkF1 + 4);
    app.pumpMessages();
    std::uint8_t character = 0xFF;
    std::uint32_t key = 0;
    EXPECT_TRUE(keyboard.readKey(character, key));
    EXPECT_EQ(key, 116u);
    // F5 makes no character, so the 'a' of the first key is still latched.
    EXPECT_EQ(character, 'a');
    EXPECT_EQ(KEYBOARD::logicalKey(key), KeyF5);

    EXPECT_FALSE(keyboard.readKey(character, key));
    EXPECT_EQ(character, 0);
    EXPECT_EQ(key, 0u);

    headless::pressKey('B', 'b');
    headless::pressKey('C', 'c');
    app.pumpMessages();
    keyboard.readKey(character, key);
    EXPECT_EQ(key, static_cast<std::uint32_t>('C'));
    EXPECT_EQ(character, 'c');
}

TEST_F(OpenApp, ControlKeysTranslateToTheirCharacters) {
    const std::pair<std::uint32_t, std::uint8_t> keys[] = {
        {win::kVkBack, 8}, {win::kVkTab, 9}, {win::kVkReturn, 13}, {win::kVkEscape, 27}};
    for (const auto& [key, expected] : keys) {
        headless::post(win::kWmKeyDown, key);
        app.pumpMessages();
        std::uint8_t character = 0;
        std::uint32_t code = 0;
        keyboard.readKey(character, code);
        EXPECT_EQ(code, key);
        EXPECT_EQ(character, expected);
    }
}

TEST_F(OpenApp, PaintInsideTheLoopDiscardsLatchedKeysAndButtons) {
    MOUSE mouse;
    headless::pressKey('X', 'x');
    headless::post(win::kWmLButtonDown, 1);
    headless::post(win::kWmRButtonDown, 2);
    headless::post(win::kWmMButtonDown, 16);
    app.stepsUntilDone = 2;
    runMainLoop();
    EXPECT_EQ(app.builds, 1);
    std::uint8_t character = 0;
    std::uint32_t key = 0;
    EXPECT_FALSE(keyboard.readKey(character, key));
    EXPECT_EQ(input::leftButton, 0);
    EXPECT_EQ(input::rightButton, 0);
    // The middle button is not the wizard's business and keeps its state.
    EXPECT_EQ(input::middleButton, 1);
}

TEST_F(OpenApp, MouseMessagesUnpackSignedCoordinatesAndWheelDeltas) {
    MOUSE mouse;
    headless::post(win::kWmMouseMove, 0, win::makeLParam(-3, 470));
    headless::post(win::kWmLButtonDown, 1, win::makeLParam(-3, 470));
    headless::post(win::kWmMouseWheel, win::makeWParam(0, -120));
    headless::post(win::kWmMouseWheel, win::makeWParam(0, 240));
    app.pumpMessages();
    std::int16_t x = 0, y = 0;
    mouse.getPosition(x, y);
    EXPECT_EQ(x, -3);
    EXPECT_EQ(y, 470);
    std::uint8_t down = 0;
    mouse.getLeftButton(down);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(input::wheelTotal, 120);

    headless::click(10, 20);
    app.pumpMessages();
    mouse.getLeftButton(down);
    EXPECT_EQ(down, 1);
    app.pumpMessages();
    mouse.getLeftButton(down);
    EXPECT_EQ(down, 0);
}

TEST(LogicalKeys, OnlyTheListedKeysHaveNames) {
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkF1), KeyF1);
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkF1 + 8), KeyF9);
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkF1 + 9), KeyNone);
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkAdd), KeyPlus);
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkSubtract), KeyMinus);
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkUp), KeyNone);
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkDown), KeyNone);
    EXPECT_EQ(KEYBOARD::logicalKey(0xBB), KeyNone); // main keyboard '+'
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkInsert), KeyInsert);
    EXPECT_EQ(KEYBOARD::logicalKey(win::kVkDelete), KeyDelete);
}

TEST_F(InputTest, MouseShowsBusyThenItsStateAndRestoresTheCursorItFound) {
    {
        MOUSE mouse;
        EXPECT_EQ(headless::cursorChanges(), std::vector<int>{CursorBusyResource});
        mouse.setCursorState(CursorArrow);
        mouse.setCursorState(CursorArrow);
        EXPECT_EQ(headless::cursorChanges(),
                  (std::vector<int>{CursorBusyResource, CursorArrowResource}));
        // Something else took the cursor: the next move puts the arrow back once.
        headless::ops().setCursor(nullptr);
        mouse.refreshCursor();
        mouse.refreshCursor();
        EXPECT_EQ(headless::currentCursor(), CursorArrowResource);
        EXPECT_EQ(headless::cursorChanges().size(), 4u);
    }
    EXPECT_EQ(headless::currentCursor(), -1);
    EXPECT_EQ(headless::liveCursorCount(), 0);
}

TEST_F(InputTest, MissingCursorResourcesFallBackToSystemCursors) {
    headless::DesktopConfig config;
    config.missingCursorResources = {CursorArrowResource, CursorBusyResource, CursorHandResource};
    installDesktop(config);
    MOUSE mouse;
    EXPECT_EQ(headless::currentCursor(), -2);
    mouse.setCursorState(CursorHand);
    EXPECT_EQ(headless::currentCursor(), -1);
}

} // namespace
