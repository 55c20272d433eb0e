// A fresh Screen of a chosen size for each test, presenting into a recorder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "render/screen.h"

struct PresentedRect {
    std::int16_t left, top, right, bottom;
};

inline std::vector<PresentedRect>& presentedRects() {
    static std::vector<PresentedRect> rects;
    return rects;
}

inline void recordPresent(WindowHandle, const void*, std::int32_t, std::int16_t, std::int16_t,
                          std::int16_t left, std::int16_t top, std::int16_t right,
                          std::int16_t bottom) {
    presentedRects().push_back({left, top, right, bottom});
}

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static PlatformOps recorder{};
        recorder.name = "recorder";
        recorder.presentRect = recordPresent;
        selectPlatform(&recorder);
        presentedRects().clear();
        screen.settingUp = false;
        screen.dirty = DirtyRect{};
    }
    void TearDown() override {
        freeFrameBuffer();
        screen.dirty = DirtyRect{};
    }

    // A black screen with nothing dirty yet.
    void useScreen(std::int16_t width, std::int16_t height) {
        ASSERT_EQ(allocateFrameBuffer(width, height), RenderOk);
        screen.dirty = DirtyRect{};
    }

    static Colour555 pixel(int x, int y) { return pixelRow(static_cast<std::int16_t>(y))[x]; }
    static void fill(Colour555 colour) {
        for (int y = 0; y < screen.height; ++y) {
            for (int x = 0; x < screen.width; ++x) {
                pixelRow(static_cast<std::int16_t>(y))[x] = colour;
            }
        }
    }
    // Every pixel of the screen that is not `background`, as (x, y) pairs.
    static std::vector<std::pair<int, int>> painted(Colour555 background = 0) {
        std::vector<std::pair<int, int>> points;
        for (int y = 0; y < screen.height; ++y) {
            for (int x = 0; x < screen.width; ++x) {
                if (pixel(x, y) != background) {
                    points.emplace_back(x, y);
                }
            }
        }
        return points;
    }
    static void expectDirty(int left, int top, int right, int bottom) {
        EXPECT_EQ(screen.dirty.left, left);
        EXPECT_EQ(screen.dirty.top, top);
        EXPECT_EQ(screen.dirty.right, right);
        EXPECT_EQ(screen.dirty.bottom, bottom);
    }
};
