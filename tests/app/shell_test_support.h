// A headless desktop, a scratch current folder with fonts, and a minimal
// application object for driving the shell without the wizard.
#pragma once

#include <cstdint>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/bwio.h"
#include "app/test_hooks.h"
#include "platform/headless/headless.h"
#include "render/font.h"
#include "render/screen.h"
#include "tests/temp_folder.h"

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override { headless::install({}); }
    void TearDown() override {
        test_hooks::failMouseAllocation = false;
        test_hooks::failKeyboardAllocation = false;
        test_hooks::failApplicationAllocation = false;
        shell::running = false;
        shell::closeRequested = false;
    }
    // The built fonts of the first count slots, beside the program.
    void writeFonts(int count = FontSlotCount) {
        for (int slot = 0; slot < count; ++slot) {
            fs::copy_file(fs::path(TACTICO_FONT_DIR) / FontNames[slot].c_str(),
                          FontNames[slot].c_str(), fs::copy_options::overwrite_existing);
        }
    }

    TempFolder folder;
};

// Counts the shell's calls into the application and draws a pattern with bit 15
// set on odd columns, which must never reach the window.
class CountingApp : public BWIO {
  public:
    void buildScreen() override {
        ++builds;
        if (!isScreenReady())
            return;
        for (std::int16_t y = 0; y < screen.height; ++y)
            for (std::int16_t x = 0; x < screen.width; ++x)
                pixelRow(y)[x] =
                    static_cast<Colour555>(((x * 7 + y * 13 + builds) & 0x7FFF) | ((x & 1) << 15));
    }
    bool frameStep() override { return ++steps != stepsUntilDone; }

    int builds = 0;
    int steps = 0;
    int stepsUntilDone = -1; // frameStep returns false on this call; -1 never
};
