// Start-up and shut-down of the real application object through the entry point.
#include "platform/messages.h"
#include "tests/app/shell_test_support.h"
#include "wizard/devices.h"
#include "wizard/update_wizard.h"

namespace {

using StartupTest = ShellTest;

std::vector<std::string> messageTexts() {
    std::vector<std::string> texts;
    for (const auto& box : headless::messageBoxes())
        texts.push_back(box.title + "/" + box.text);
    return texts;
}

// Each failure is reported in construction order, and every run, the last one
// ended by Escape, returns 0 and releases everything it made. Pack mode reports
// before any window and never draws.
TEST_F(StartupTest, FailuresAreReportedInConstructionOrderAndEveryEndReleasesAll) {
    struct Case {
        bool fonts = true, noKeyboard = false, noMouse = false, noWindow = false;
        bool noApplication = false;
        const char* arguments = nullptr;
        std::vector<std::string> boxes;
    };
    // Cases without fonts come first: fonts, once written, stay.
    const Case cases[] = {
        {.fonts = false,
         .noKeyboard = true,
         .boxes = {"Error/Unable to create keyboard", "Error/Unable to open graphics"}},
        {.fonts = false, .noApplication = true},
        // Nothing to pack in an empty folder.
        {.arguments = "-pack", .boxes = {"Setup/Unable to pack files"}},
        {.noMouse = true, .boxes = {"Error/Unable to create mouse"}},
        {.noWindow = true, .boxes = {"Error/Unable to open graphics"}},
        {},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        if (c.fonts)
            writeFonts();
        headless::DesktopConfig config;
        config.failWindowCreation = c.noWindow;
        headless::install(config);
        headless::setPumpHook([frame = 0]() mutable {
            if (++frame == 2)
                headless::pressKey(win::kVkEscape);
            if (frame == 50)
                headless::post(win::kWmClose);
        });
        test_hooks::failKeyboardAllocation = c.noKeyboard;
        test_hooks::failMouseAllocation = c.noMouse;
        test_hooks::failApplicationAllocation = c.noApplication;
        EXPECT_EQ(runApplication(nullptr, c.arguments), 0);
        EXPECT_EQ(messageTexts(), c.boxes);
        if (c.arguments) {
            EXPECT_FALSE(headless::messageBoxes().front().windowExisted);
            EXPECT_EQ(headless::presentCount(), 0);
        }
        EXPECT_FALSE(shell::closeRequested);
        EXPECT_FALSE(headless::window().exists);
        EXPECT_EQ(shell::application, nullptr);
        EXPECT_EQ(KEYBOARD::instance(), nullptr);
        EXPECT_EQ(MOUSE::instance(), nullptr);
        if (c.noMouse) {
            EXPECT_TRUE(headless::cursorChanges().empty());
        }
    }
    EXPECT_GT(headless::presentCount(), 0) << "the run that failed nowhere drew nothing";
}

} // namespace
