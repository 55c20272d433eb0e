// Clicks, the buttons' look and word wrap, on the live version screen.
#include <cstring>

#include "render/font.h"
#include "wizard_harness.h"

namespace {

constexpr int Next = 4;

Colour555 nextTopEdge(const UpdateWizard& w) {
    return pixelRow(w.buttons[Next]->y)[w.buttons[Next]->x + 3];
}

TEST(ScreenInput, ClickIsAPressAndReleaseStrictlyInside) {
    const SampleSetup setup("click");
    const std::uint32_t down = win::kWmLButtonDown, up = win::kWmLButtonUp, paint = win::kWmPaint;
    Script s;
    // The language screen keeps its buttons through a repaint, but not the press:
    // a release after it is no click, held meanwhile or let go off the button.
    s.waitState(LanguageScreen);
    s.mouse(1, 1, 1, {down}).mouse(1, 1, 1, {paint}).frames(1).mouse(1, 1, 1, {up});
    s.mouse(1, 1, 1, {down}).mouse(1, 1, 1, {paint}).mouse(1, -2, 1, {up});
    s.frames(2).check([](UpdateWizard& w) { EXPECT_EQ(w.state, LanguageScreen); });
    s.clickSlot(1).waitState(VersionScreen);
    const auto notClicked = [&s] {
        s.frames(2).check([](UpdateWizard& w) {
            EXPECT_EQ(w.state, VersionScreen);
            EXPECT_FALSE(w.buttons[Next]->pressed);
        });
    };
    // The edge pixels count as outside.
    s.mouse(Next, 0, 1, {down}).mouse(Next, 0, 1, {up});
    notClicked();
    // Pressed outside (on the bottom edge), released inside.
    s.mouse(Next, 1, 2, {down}).mouse(Next, 1, 1, {up});
    notClicked();
    // Pressed inside, released outside; drawn sunken in between.
    s.mouse(Next, 1, 1, {down}).check([](UpdateWizard& w) {
        EXPECT_TRUE(w.buttons[Next]->pressed);
        EXPECT_EQ(nextTopEdge(w), 0x2108);
    });
    s.mouse(Next, 2, 1, {up});
    notClicked();
    s.check([](UpdateWizard& w) { EXPECT_EQ(nextTopEdge(w), 0x7FFF); });
    // A repaint between press and release drops the press, whether or not the
    // press was seen by a frame.
    s.mouse(Next, 1, 1, {down, paint}).mouse(Next, 1, 1, {up});
    notClicked();
    s.mouse(Next, 1, 1, {down}).mouse(Next, 1, 1, {paint, up});
    notClicked();
    ASSERT_TRUE(s.clickSlot(Next).waitState(ProgressScreen).key(win::kVkEscape).run(setup));
}

TEST(ScreenInput, WrapKeepsLinesNarrowAndWithinTheSlots) {
    const SampleSetup setup("wrap");
    const std::string text = "Short words  then " + std::string(90, 'M') + " and a tail that wraps";
    Script s;
    s.waitState(LanguageScreen).clickSlot(1).waitState(VersionScreen);
    s.check([&](UpdateWizard& w) {
        std::int16_t slot = 1, y = 50;
        w.wrapTextIntoLabels(slot, 20, y, 120, text.c_str());
        EXPECT_EQ(y, 50 + 17 * (slot - 1));
        std::string joined, all = text;
        for (int i = 1; i < slot; ++i) {
            EXPECT_LT(stringWidth(1, w.buttons[i]->text), 120) << w.buttons[i]->text;
            joined += w.buttons[i]->text;
        }
        // Nothing but one blank per break is lost; the long word is cut inside.
        EXPECT_LE(all.size() - joined.size(), static_cast<std::size_t>(slot - 2));
        std::erase(all, ' ');
        std::erase(joined, ' ');
        EXPECT_EQ(joined, all);

        // The wrap stops at the last slot and at the end of its line.
        slot = 8;
        w.wrapTextIntoLabels(slot, 20, y, 120, text.c_str());
        EXPECT_EQ(slot, ButtonSlotCount);
        slot = 9;
        w.wrapTextIntoLabels(slot, 20, y, 30000, std::string(400, 'i').c_str());
        EXPECT_EQ(std::strlen(w.buttons[9]->text), 199u);
    });
    ASSERT_TRUE(s.key(win::kVkEscape).run(setup));
}

} // namespace
