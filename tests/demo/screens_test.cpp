// The screens tool must flag text that does not fit, and only that, and lay its
// pictures out on a contact sheet.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "tools/screens/contact_sheet.h"
#include "tools/screens/text_fit.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace {

bool anyMentions(const std::vector<screens::Finding>& findings, int slot, const char* what) {
    return std::ranges::any_of(findings, [&](const screens::Finding& f) {
        return f.slot == slot && f.problem.find(what) != std::string::npos;
    });
}

// Runs the wizard headless with the built fonts and hands it to body once its
// first screen is up.
void withWizard(const std::function<void(UpdateWizard&)>& body) {
    ASSERT_EQ(chdir(TACTICO_BIN_DIR), 0);
    headless::install();
    bool ran = false;
    headless::setPumpHook([&] {
        auto* w = dynamic_cast<UpdateWizard*>(shell::application);
        if (ran || !w || w->builtState != LanguageScreen)
            return;
        ran = true;
        body(*w);
        w->state = LanguageScreen;
        w->finished = true;
    });
    runApplication(nullptr, "");
    headless::setPumpHook({});
    EXPECT_TRUE(ran) << "the wizard never showed its first screen";
}

TEST(TextFit, FlagsCaptionsLinesOverlapsAndUnplacedTextButNotAGoodScreen) {
    withWizard([](UpdateWizard& w) {
        std::strcpy(w.installedVersion, "Version 3.70");
        w.language = English;
        w.state = VersionScreen;
        w.buildScreen();
        EXPECT_TRUE(screens::checkTextFit(w).empty());

        Button& next = *w.buttons[4];
        std::strcpy(next.text, "Next and then some more words >");
        Button& line = *w.buttons[5];
        line.x = static_cast<std::int16_t>(w.buttons[2]->x + w.buttons[2]->width - 20);
        Button& prompt = *w.buttons[9];
        prompt.y = static_cast<std::int16_t>(next.y + 2);
        prompt.x = static_cast<std::int16_t>(next.x - 10);

        std::vector<screens::Finding> found = screens::checkTextFit(w);
        EXPECT_TRUE(anyMentions(found, 4, "wider than its box"));
        EXPECT_TRUE(anyMentions(found, 5, "past its panel"));
        EXPECT_TRUE(anyMentions(found, 9, "overlaps"));
        EXPECT_FALSE(anyMentions(found, 6, "")); // untouched lines stay quiet

        w.state = IncompatibleScreen;
        w.buildScreen();
        EXPECT_FALSE(anyMentions(screens::checkTextFit(w), -1, "found no line"));
        // As if the text had wrapped onto more lines than the slots hold.
        delete w.buttons[5];
        w.buttons[5] = nullptr;
        EXPECT_TRUE(anyMentions(screens::checkTextFit(w), -1, "found no line"));
    });
}

constexpr std::uint16_t rgb(int r, int g, int b) {
    return static_cast<std::uint16_t>((r << 10) | (g << 5) | b);
}

TEST(ContactSheet, HalvesEachPictureIntoItsOwnCell) {
    const std::uint16_t grey = rgb(9, 9, 9), white = rgb(31, 31, 31);
    // The left block averages four different channels; the right one is uniform.
    const screens::Picture checker{
        4, 2, {rgb(31, 0, 0), rgb(0, 31, 0), grey, grey, rgb(0, 0, 31), rgb(1, 2, 3), grey, grey}};
    const screens::Picture plain{4, 2, std::vector<std::uint16_t>(8, white)};

    // Two to a row, three pictures: the last row holds one, the grid keeps its size.
    const screens::Picture sheet = screens::composeSheet({checker, plain, plain}, 2, 1);
    ASSERT_EQ(sheet.width, 2 * 2 + 3 * 1);
    // mix is each channel of the four averaged, rounded; the gaps and the empty last
    // cell keep the background.
    const std::uint16_t o = sheet.pixels[0], mix = rgb(8, 8, 9);
    EXPECT_NE(o, white);
    // clang-format off
    EXPECT_EQ(sheet.pixels, (std::vector<std::uint16_t>{
        o, o,     o,    o, o,     o,     o,
        o, mix,   grey, o, white, white, o,
        o, o,     o,    o, o,     o,     o,
        o, white, white, o, o,    o,     o,
        o, o,     o,    o, o,     o,     o}));
    // clang-format on
    EXPECT_TRUE(screens::composeSheet({}, 4, 8).pixels.empty());
}

} // namespace
