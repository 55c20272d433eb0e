// Clicks and the buttons' look, on the live language and version screens.

#include "wizard_harness.h"

namespace {

constexpr int Next = 4;
constexpr std::uint32_t down = win::kWmLButtonDown, up = win::kWmLButtonUp, paint = win::kWmPaint;

Colour555 nextTopEdge(const UpdateWizard& w) {
    return pixelRow(w.buttons[Next]->y)[w.buttons[Next]->x + 3];
}

// The language screen keeps its buttons through a repaint, and so a press held
// across one: sunken as before, nothing chosen until the release, and then only
// a release inside the button chooses.
TEST(ScreenInput, ALanguagePressHeldThroughARepaintWaitsForItsRelease) {
    const SampleSetup setup("held");
    for (const bool releasedInside : {true, false}) {
        SCOPED_TRACE(releasedInside);
        std::vector<Colour555> pressed;
        Script s;
        s.waitState(LanguageScreen).mouse(1, 1, 1, {down}).check([&](UpdateWizard& w) {
            EXPECT_TRUE(w.buttons[1]->pressed);
            pressed = screenPixels();
        });
        s.mouse(1, 1, 1, {paint}).frames(2).check([&](UpdateWizard& w) {
            EXPECT_EQ(w.state, LanguageScreen);
            EXPECT_TRUE(screenPixels() == pressed);
        });
        s.mouse(1, releasedInside ? 1 : -2, 1, {up}).frames(2).check([&](UpdateWizard& w) {
            EXPECT_EQ(w.state, releasedInside ? VersionScreen : LanguageScreen);
            EXPECT_TRUE(releasedInside || !w.buttons[1]->pressed);
        });
        ASSERT_TRUE(s.key(win::kVkEscape).run(setup));
    }
}

TEST(ScreenInput, ClickIsAPressAndReleaseStrictlyInside) {
    const SampleSetup setup("click");
    LParam onEnglish = 0;
    Script s;
    s.waitState(LanguageScreen).check([&](UpdateWizard& w) {
        const Button& b = *w.buttons[1];
        onEnglish = win::makeLParam(b.x + b.width / 2, b.y + b.height / 2);
    });
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
    // The version screen's repaint makes new buttons: the press held through it
    // is no longer theirs, whether or not a frame saw it.
    s.mouse(Next, 1, 1, {down, paint}).mouse(Next, 1, 1, {up});
    notClicked();
    s.mouse(Next, 1, 1, {down}).mouse(Next, 1, 1, {paint, up});
    notClicked();
    // A press begun here and released on the language screen that Back brought up
    // is no click there.
    s.then([&](UpdateWizard&) {
        headless::post(win::kWmMouseMove, 0, onEnglish);
        return headless::post(down, 1, onEnglish), true;
    });
    s.post(win::kWmPressSlot, 3).waitState(LanguageScreen).then([&](UpdateWizard&) {
        return headless::post(up, 0, onEnglish), true;
    });
    s.frames(2).check([](UpdateWizard& w) { EXPECT_EQ(w.state, LanguageScreen); });
    s.clickSlot(1).waitState(VersionScreen).clickSlot(Next).waitState(ProgressScreen);
    ASSERT_TRUE(s.key(win::kVkEscape).run(setup));
}

} // namespace
