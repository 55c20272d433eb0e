// A headless desktop, a scratch current folder with fonts, and a minimal
// application object for driving the shell without the wizard.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
    // Writes a valid two-row font into each of the first count font slots.
    void writeFonts(int count = FontSlotCount) {
        for (int slot = 0; slot < count; ++slot) {
            std::ofstream out(FontNames[slot], std::ios::binary);
            const auto writeInt32 = [&](std::uint32_t value) {
                for (int shift = 0; shift < 32; shift += 8)
                    out.put(static_cast<char>((value >> shift) & 0xFF));
            };
            writeInt32(2); // height
            for (int code = 32; code <= 255; ++code) {
                for (std::uint32_t field : {1u, 1u, 0u, 0u}) // width, row bytes, bearings
                    writeInt32(field);
                out.write("\xF0\x80", 2);
            }
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
        std::int16_t x0 = 0, y0 = 0, x1 = static_cast<std::int16_t>(screen.width - 1),
                     y1 = static_cast<std::int16_t>(screen.height - 1);
        clipToScreen(x0, y0, x1, y1);
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
