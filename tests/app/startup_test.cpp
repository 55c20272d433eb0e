// Start-up and shut-down of the real application object through the entry point.
#include <cstdio>
#include <cstdlib>

#include "app/devices.h"
#include "app/test_hooks.h"
#include "platform/messages.h"
#include "render/font.h"
#include "render/screen.h"
#include "tests/app/shell_test_support.h"
#include "wizard/update_wizard.h"

namespace {

using StartupTest = ShellTest;

// Ends a run that would otherwise wait for a user, so a failing test cannot hang.
void closeAfterFrames(int frames) {
    headless::setPumpHook([frames, seen = 0]() mutable {
        if (++seen == frames)
            headless::post(win::kWmClose);
    });
}

TEST_F(StartupTest, PackModeReportsBeforeAnyWindowAndNeverDraws) {
    writeFonts();
    for (const char* line : {"-pack", "x -pack y", "-packall"}) {
        installDesktop({});
        EXPECT_EQ(runApplication(nullptr, line), 0) << line;
        ASSERT_FALSE(headless::messageBoxes().empty()) << line;
        const auto& report = headless::messageBoxes().front();
        EXPECT_EQ(report.title, "Setup");
        // Nothing to pack in an empty folder.
        EXPECT_EQ(report.text, "Unable to pack files");
        EXPECT_FALSE(report.windowExisted);
        EXPECT_EQ(headless::presentCount(), 0) << line;
        EXPECT_FALSE(headless::window().exists);
    }
    installDesktop({});
    closeAfterFrames(3);
    runApplication(nullptr, "-PACK");
    EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(StartupTest, FailuresAreReportedInConstructionOrderAndEndWithZero) {
    // No fonts in the folder, and no keyboard.
    test_hooks::failKeyboardAllocation = true;
    EXPECT_EQ(runApplication(nullptr, ""), 0);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Error/Unable to create keyboard",
                                                        "Error/Unable to open graphics"}));
    EXPECT_FALSE(headless::window().exists);
    EXPECT_EQ(KEYBOARD::instance(), nullptr);
}

TEST_F(StartupTest, MissingMouseLeavesTheCursorAlone) {
    writeFonts();
    test_hooks::failMouseAllocation = true;
    EXPECT_EQ(runApplication(nullptr, ""), 0);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Error/Unable to create mouse"});
    EXPECT_TRUE(headless::cursorChanges().empty());
}

TEST_F(StartupTest, WindowCreationFailureIsAGraphicsFailure) {
    writeFonts();
    headless::DesktopConfig config;
    config.failWindowCreation = true;
    installDesktop(config);
    EXPECT_EQ(runApplication(nullptr, ""), 0);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Error/Unable to open graphics"});
}

TEST_F(StartupTest, UnallocatableApplicationSkipsTheLoop) {
    test_hooks::failApplicationAllocation = true;
    EXPECT_EQ(runApplication(nullptr, ""), 0);
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_FALSE(headless::window().exists);
}

TEST_F(StartupTest, EscapeEndsTheWizardAndEverythingIsReleased) {
    writeFonts();
    bool closedByTest = false;
    headless::setPumpHook([&, frame = 0]() mutable {
        ++frame;
        if (frame == 2)
            headless::pressKey(win::kVkEscape);
        if (frame == 50) {
            closedByTest = true;
            headless::post(win::kWmClose);
        }
    });
    EXPECT_EQ(runApplication(nullptr, ""), 0);
    EXPECT_FALSE(closedByTest);
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(headless::window().title, "Tactico Update");
    EXPECT_GT(headless::presentCount(), 0);
    EXPECT_FALSE(headless::window().exists);
    EXPECT_EQ(screen.buffer, nullptr);
    EXPECT_EQ(screen.fontSlots, nullptr);
    EXPECT_EQ(shell::application, nullptr);
    EXPECT_EQ(MOUSE::instance(), nullptr);
    // The cursor current before the program started is current again.
    EXPECT_EQ(headless::currentCursor(), -1);
    EXPECT_EQ(headless::liveCursorCount(), 0);
}

TEST_F(StartupTest, CloseBoxEndsTheProgram) {
    writeFonts();
    closeAfterFrames(2);
    EXPECT_EQ(runApplication(nullptr, nullptr), 0);
    EXPECT_TRUE(shell::closeRequested);
    EXPECT_FALSE(headless::window().exists);
}

// The child prints the last message box on its way out, so the death test can
// check the text as well as the exit code.
void reportLastBoxAtExit() {
    std::atexit([] {
        if (!headless::messageBoxes().empty())
            std::fprintf(stderr, "%s/%s\n", headless::messageBoxes().back().title.c_str(),
                         headless::messageBoxes().back().text.c_str());
    });
}

TEST_F(StartupTest, SecondSingletonEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            reportLastBoxAtExit();
            CountingApp first;
            CountingApp second;
        },
        ::testing::ExitedWithCode(255), "Error/Second BWIO class declared.");
    EXPECT_EXIT(
        {
            reportLastBoxAtExit();
            MOUSE first;
            MOUSE second;
        },
        ::testing::ExitedWithCode(255), "Error/Second MOUSE class declared.");
    EXPECT_EXIT(
        {
            reportLastBoxAtExit();
            KEYBOARD first;
            KEYBOARD second;
        },
        ::testing::ExitedWithCode(255), "Error/Second KEYBOARD class declared.");
}

} // namespace
