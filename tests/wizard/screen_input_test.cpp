// Clicks, the buttons' look and word wrap, on the live version screen.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/messages.h"
#include "render/font.h"
#include "render/screen.h"
#include "wizard/texts.h"
#include "wizard_harness.h"

namespace {

class ScreenInput : public ::testing::Test {
  protected:
    void SetUp() override { setup = SampleSetup::create("input"); }
    void TearDown() override { setup.remove(); }

    Script toVersionScreen() {
        Script s;
        s.waitState(LanguageScreen).clickSlot(1).waitState(VersionScreen);
        s.check([this](UpdateWizard& w) { next = *w.buttons[4]; });
        return s;
    }

    enum Where { Centre, LeftEdge, RightEdge, Below };

    // Moves to a point of the Next button, found when the step runs, and posts
    // the messages there in one frame.
    void mouse(Script& s, Where where, std::initializer_list<std::uint32_t> messages) {
        const std::vector<std::uint32_t> posted(messages);
        s.then([this, where, posted](UpdateWizard&) {
            const int centreX = next.x + next.width / 2;
            const int centreY = next.y + next.height / 2;
            const int x = where == LeftEdge    ? next.x
                          : where == RightEdge ? next.x + next.width
                                               : centreX;
            const int y = where == Below ? next.y + next.height + 3 : centreY;
            const LParam at = win::makeLParam(x, y);
            headless::post(win::kWmMouseMove, 0, at);
            for (std::uint32_t message : posted) {
                headless::post(message, message == win::kWmLButtonDown ? 1 : 0,
                               message == win::kWmPaint ? 0 : at);
            }
            return true;
        });
    }

    // Checks after a frame that the click has not been taken.
    static void stillOnVersionScreen(Script& s) {
        s.frames(2).check([](UpdateWizard& w) {
            EXPECT_EQ(w.state, VersionScreen);
            EXPECT_FALSE(w.buttons[4]->pressed);
        });
    }

    SampleSetup setup;
    Button next{};
};

TEST_F(ScreenInput, ClickIsAPressAndReleaseStrictlyInside) {
    Script s = toVersionScreen();
    // The edge pixels count as outside.
    mouse(s, LeftEdge, {win::kWmLButtonDown});
    s.check([](UpdateWizard& w) { EXPECT_FALSE(w.buttons[4]->pressed); });
    mouse(s, LeftEdge, {win::kWmLButtonUp});
    stillOnVersionScreen(s);
    // Pressed outside, released inside.
    mouse(s, Below, {win::kWmLButtonDown});
    mouse(s, Centre, {win::kWmLButtonUp});
    stillOnVersionScreen(s);
    // Pressed inside, released outside; drawn sunken in between.
    mouse(s, Centre, {win::kWmLButtonDown});
    s.check([&](UpdateWizard& w) {
        EXPECT_TRUE(w.buttons[4]->pressed);
        EXPECT_EQ(pixelRow(next.y)[next.x + 3], 0x2108);
    });
    mouse(s, RightEdge, {win::kWmLButtonUp});
    stillOnVersionScreen(s);
    s.check([&](UpdateWizard&) { EXPECT_EQ(pixelRow(next.y)[next.x + 3], 0x7FFF); });
    // A repaint between press and release drops the press, whether or not the
    // press was seen by a frame.
    mouse(s, Centre, {win::kWmLButtonDown, win::kWmPaint});
    mouse(s, Centre, {win::kWmLButtonUp});
    stillOnVersionScreen(s);
    mouse(s, Centre, {win::kWmLButtonDown});
    mouse(s, Centre, {win::kWmPaint, win::kWmLButtonUp});
    stillOnVersionScreen(s);
    mouse(s, Centre, {win::kWmLButtonDown});
    mouse(s, Centre, {win::kWmLButtonUp});
    s.waitState(ProgressScreen).key(win::kVkEscape);
    ASSERT_TRUE(s.run(setup));
}

TEST_F(ScreenInput, WrapKeepsLinesNarrowAndWithinTheSlots) {
    constexpr std::int16_t Limit = 120;
    const std::string text = "Short words  then " + std::string(90, 'M') + " and a tail that wraps";
    Script s = toVersionScreen();
    s.check([&](UpdateWizard& w) {
        std::int16_t slot = 1;
        std::int16_t y = 50;
        w.wrapTextIntoLabels(slot, 20, y, Limit, text.c_str());
        EXPECT_EQ(y, 50 + 17 * (slot - 1));
        std::string joined;
        for (int i = 1; i < slot; ++i) {
            EXPECT_LT(stringWidth(1, w.buttons[i]->text), Limit) << w.buttons[i]->text;
            joined += w.buttons[i]->text;
        }
        // Nothing but one blank per break is lost; the long word is cut inside.
        const auto withoutBlanks = [](std::string t) {
            std::erase(t, ' ');
            return t;
        };
        EXPECT_EQ(withoutBlanks(joined), withoutBlanks(text));
        EXPECT_LE(text.size() - joined.size(), static_cast<std::size_t>(slot - 2));
        EXPECT_GE(slot, 5);

        // The wrap stops at the last slot and at the end of its line.
        slot = 8;
        w.wrapTextIntoLabels(slot, 20, y, Limit, text.c_str());
        EXPECT_EQ(slot, ButtonSlotCount);
        slot = 9;
        w.wrapTextIntoLabels(slot, 20, y, 30000, std::string(400, 'i').c_str());
        EXPECT_EQ(std::strlen(w.buttons[9]->text), 199u);
    });
    s.key(win::kVkEscape);
    ASSERT_TRUE(s.run(setup));
}

} // namespace
