// Where the word wrap breaks, on worked examples. Each limit is measured from a
// prefix of the text in the real font, so the expected lines hold whatever the
// glyphs' widths are.
#include <functional>
#include <string>
#include <vector>

#include "render/font.h"
#include "wizard/slots.h"
#include "wizard_harness.h"

namespace {

std::int16_t widthOf(const std::string& text) {
    return static_cast<std::int16_t>(stringWidth(1, text.c_str()));
}

struct Wrapped {
    std::vector<std::string> lines;
    int slotsUsed;
    int yAdvance;
};

// Wraps text into the slots from firstSlot on, at (20, 50), and reads the labels back.
Wrapped wrap(UpdateWizard& w, int firstSlot, std::int16_t limit, const std::string& text) {
    releaseButtons(w);
    std::int16_t slot = static_cast<std::int16_t>(firstSlot), y = 50;
    w.wrapTextIntoLabels(slot, 20, y, limit, text.c_str());
    Wrapped result{{}, slot - firstSlot, y - 50};
    for (int s = firstSlot; s < ButtonSlotCount; ++s) {
        const Button* label = w.buttons[s];
        if (label == nullptr) {
            break;
        }
        EXPECT_EQ(label->action, Label);
        EXPECT_EQ(label->x, 20);
        EXPECT_EQ(label->y, 50 + 17 * (s - firstSlot)) << label->text;
        EXPECT_EQ(label->width, limit);
        result.lines.emplace_back(label->text);
    }
    return result;
}

using Lines = std::vector<std::string>;

void onVersionScreen(const char* name, const std::function<void(UpdateWizard&)>& body) {
    const SampleSetup setup(name);
    Script s;
    s.waitState(LanguageScreen).clickSlot(1).waitState(VersionScreen).check(body);
    ASSERT_TRUE(s.key(win::kVkEscape).run(setup));
}

TEST(WrapText, BreaksAtTheLastBlankThatFitsCutsLongWordsAndStopsAtTheLastSlot) {
    onVersionScreen("wrap", [](UpdateWizard& w) {
        // The whole text narrower than the limit: one label.
        Wrapped lines = wrap(w, 1, 300, "Short text");
        EXPECT_EQ(lines.lines, Lines{"Short text"});
        EXPECT_EQ(lines.slotsUsed, 1);
        EXPECT_EQ(lines.yAdvance, 17);

        // Room for "aaa bbb ccc" and one pixel: the blank after it reaches the
        // limit, so the break is there and not at an earlier blank.
        lines = wrap(w, 1, widthOf("aaa bbb ccc") + 1, "aaa bbb ccc ddd eee");
        EXPECT_EQ(lines.lines, (Lines{"aaa bbb ccc", "ddd eee"}));
        EXPECT_EQ(lines.slotsUsed, 2);
        EXPECT_EQ(lines.yAdvance, 34);

        // A line exactly as wide as the limit is too wide.
        lines = wrap(w, 1, widthOf("aaa bbb ccc"), "aaa bbb ccc d");
        EXPECT_EQ(lines.lines, (Lines{"aaa bbb", "ccc d"}));

        // Of several blanks at a break only the last leaves the line.
        lines = wrap(w, 3, widthOf("one two   t") + 1, "one two   three");
        EXPECT_EQ(lines.lines, (Lines{"one two  ", "three"}));

        // A text that ends right after a break makes no further label.
        lines = wrap(w, 1, widthOf("aaa bbb") + 1, "aaa bbb   ");
        EXPECT_EQ(lines.lines, Lines{"aaa bbb"});
        EXPECT_EQ(lines.slotsUsed, 1);

        EXPECT_EQ(wrap(w, 1, 300, "").slotsUsed, 0);

        // A word wider than the limit is cut; the character that overflowed starts
        // the next line.
        const std::int16_t fourM = widthOf("MMMM") + 1;
        ASSERT_LT(widthOf("MM ab"), fourM);
        lines = wrap(w, 1, fourM, "ab MMMMMMMMMM ab");
        EXPECT_EQ(lines.lines, (Lines{"ab", "MMMM", "MMMM", "MM ab"}));
        EXPECT_EQ(lines.yAdvance, 4 * 17);

        // Started two slots from the end, the wrap fills those two and stops.
        lines = wrap(w, 8, widthOf("aaa bbb") + 1, "aaa bbb ccc ddd eee fff ggg hhh");
        EXPECT_EQ(lines.lines, (Lines{"aaa bbb", "ccc ddd"}));
        EXPECT_EQ(lines.slotsUsed, 2);
        EXPECT_EQ(lines.yAdvance, 34);

        // A line that never reaches the limit is cut where the line buffer ends.
        lines = wrap(w, 8, 30000, std::string(400, 'i'));
        EXPECT_EQ(lines.lines, (Lines{std::string(199, 'i'), std::string(199, 'i')}));
    });
}

} // namespace
