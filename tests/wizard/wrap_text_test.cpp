// Where the word wrap breaks, on worked examples. Each limit is measured from a
// prefix of the text in the real font, so the expected lines hold whatever the
// glyphs' widths are.
#include <string>
#include <vector>

#include "render/font.h"
#include "wizard/slots.h"
#include "wizard_harness.h"

namespace {

int widthOf(const std::string& text) {
    return stringWidth(1, text.c_str());
}

using Lines = std::vector<std::string>;

// Wraps text into the slots from firstSlot on, at (20, 50), and reads the labels back.
Lines wrap(UpdateWizard& w, int firstSlot, int limit, const std::string& text) {
    releaseButtons(w);
    std::int16_t slot = static_cast<std::int16_t>(firstSlot), y = 50;
    w.wrapTextIntoLabels(slot, 20, y, static_cast<std::int16_t>(limit), text.c_str());
    Lines lines;
    for (int s = firstSlot; s < ButtonSlotCount && w.buttons[s] != nullptr; ++s) {
        const Button* label = w.buttons[s];
        EXPECT_EQ(label->action, Label);
        EXPECT_EQ(label->x, 20);
        EXPECT_EQ(label->y, 50 + 17 * (s - firstSlot)) << label->text;
        EXPECT_EQ(label->width, limit);
        lines.emplace_back(label->text);
    }
    // The caller goes on below the labels made and from the slot after them.
    EXPECT_EQ(slot - firstSlot, static_cast<int>(lines.size())) << text;
    EXPECT_EQ(y - 50, 17 * static_cast<int>(lines.size())) << text;
    return lines;
}

TEST(WrapText, BreaksAtTheLastBlankThatFitsCutsLongWordsAndStopsAtTheLastSlot) {
    const SampleSetup setup("wrap");
    Script s;
    s.waitState(LanguageScreen).clickSlot(1).waitState(VersionScreen).check([](UpdateWizard& w) {
        const int fourM = widthOf("MMMM") + 1;
        ASSERT_LT(widthOf("MM ab"), fourM);
        const struct {
            int firstSlot, limit;
            std::string text;
            Lines lines;
        } cases[] = {
            {1, 300, "", {}},
            // Room for "aaa bbb ccc" and one pixel: the blank after it reaches the
            // limit, so the break is there and not at an earlier blank.
            {1, widthOf("aaa bbb ccc") + 1, "aaa bbb ccc ddd eee", {"aaa bbb ccc", "ddd eee"}},
            // A line exactly as wide as the limit is too wide.
            {1, widthOf("aaa bbb ccc"), "aaa bbb ccc d", {"aaa bbb", "ccc d"}},
            // Of several blanks at a break only the last leaves the line.
            {3, widthOf("one two   t") + 1, "one two   three", {"one two  ", "three"}},
            // A text that ends right after a break makes no further label.
            {1, widthOf("aaa bbb") + 1, "aaa bbb   ", {"aaa bbb"}},
            // A word wider than the limit is cut; the character that overflowed
            // starts the next line.
            {1, fourM, "ab MMMMMMMMMM ab", {"ab", "MMMM", "MMMM", "MM ab"}},
            // Started two slots from the end, the wrap fills those two and stops.
            {8, widthOf("aaa bbb") + 1, "aaa bbb ccc ddd eee fff ggg hhh", {"aaa bbb", "ccc ddd"}},
            // A line that never reaches the limit is cut where the line buffer ends.
            {8, 30000, std::string(400, 'i'), {std::string(199, 'i'), std::string(199, 'i')}},
        };
        for (const auto& c : cases)
            EXPECT_EQ(wrap(w, c.firstSlot, c.limit, c.text), c.lines) << c.text;
    });
    ASSERT_TRUE(s.key(win::kVkEscape).run(setup));
}

} // namespace
