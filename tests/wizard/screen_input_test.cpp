// Clicks and the buttons' look, on the live language and version screens.
#include <cstring>

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

} // namespace
