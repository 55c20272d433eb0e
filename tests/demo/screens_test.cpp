// The screens tool must flag text that does not fit, and only that, and lay its
// pictures out on a contact sheet.
#include <gtest/gtest.h>
#include <unistd.h>

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
    for (const screens::Finding& f : findings)
        if (f.slot == slot && f.problem.find(what) != std::string::npos)
            return true;
    return false;
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

screens::Picture solid(int width, int height, std::uint16_t colour) {
    screens::Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<std::size_t>(width) * height, colour);
    return p;
}

TEST(ContactSheet, HalvesEachPictureIntoItsOwnCell) {
    screens::Picture checker = solid(4, 2, 0);
    // Left block averages four different channels; right block is uniform.
    checker.pixels[0] = rgb(31, 0, 0);
    checker.pixels[1] = rgb(0, 31, 0);
    checker.pixels[4] = rgb(0, 0, 31);
    checker.pixels[5] = rgb(1, 2, 3);
    checker.pixels[2] = checker.pixels[3] = checker.pixels[6] = checker.pixels[7] = rgb(9, 9, 9);
    screens::Picture plain = solid(4, 2, rgb(31, 31, 31));

    // Two to a row, three pictures: the last row holds one, the grid keeps its size.
    screens::Picture sheet = screens::composeSheet({checker, plain, plain}, 2, 1);
    ASSERT_EQ(sheet.width, 2 * 2 + 3 * 1);
    ASSERT_EQ(sheet.height, 2 * 1 + 3 * 1);
    auto at = [&](int x, int y) {
        return sheet.pixels[static_cast<std::size_t>(y) * sheet.width + x];
    };

    EXPECT_EQ(at(1, 1), rgb(8, 8, 9)); // (31+1+2)/4 rounded, and so on per channel
    EXPECT_EQ(at(2, 1), rgb(9, 9, 9));
    EXPECT_EQ(at(4, 1), rgb(31, 31, 31));
    EXPECT_EQ(at(1, 3), rgb(31, 31, 31));
    // Gaps and the empty last cell keep the background.
    EXPECT_EQ(at(0, 0), at(3, 1));
    EXPECT_EQ(at(0, 0), at(4, 3));
    EXPECT_NE(at(0, 0), rgb(31, 31, 31));
    EXPECT_TRUE(screens::composeSheet({}, 4, 8).pixels.empty());
}

} // namespace
