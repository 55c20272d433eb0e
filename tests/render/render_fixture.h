// A fresh Screen of a chosen size for each test, presenting into a recorder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "render/screen.h"

using Points = std::vector<std::pair<int, int>>;
using Row = std::vector<Colour555>;
using Box = std::array<int, 4>; // left, top, right, bottom

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static PlatformOps recorder{};
        recorder.presentRect = [](WindowHandle, const void*, std::int32_t, std::int16_t,
                                  std::int16_t, std::int16_t left, std::int16_t top,
                                  std::int16_t right, std::int16_t bottom) {
            presented.push_back({left, top, right, bottom});
        };
        selectPlatform(&recorder);
        presented.clear();
        screen.settingUp = false;
    }
    void TearDown() override { freeFrameBuffer(); }

    // A black screen with nothing dirty yet.
    void useScreen(std::int16_t width, std::int16_t height) {
        ASSERT_EQ(allocateFrameBuffer(width, height), RenderOk);
        screen.dirty = DirtyRect{};
    }

    static Colour555 pixel(int x, int y) { return pixelRow(static_cast<std::int16_t>(y))[x]; }
    static Row row(int y) { return Row(pixelRow(y), pixelRow(y) + screen.width); }
    static void fill(Colour555 colour) {
        for (std::int16_t y = 0; y < screen.height; ++y)
            std::fill_n(pixelRow(y), screen.width, colour);
    }
    // Every pixel that is not `background`, row by row.
    static Points painted(Colour555 background = 0) {
        Points points;
        for (int y = 0; y < screen.height; ++y)
            for (int x = 0; x < screen.width; ++x)
                if (pixel(x, y) != background)
                    points.emplace_back(x, y);
        return points;
    }
    static Box dirty() {
        return {screen.dirty.left, screen.dirty.top, screen.dirty.right, screen.dirty.bottom};
    }

    static inline std::vector<Box> presented;
};
