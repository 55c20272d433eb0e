#include "tools/screens/text_fit.h"

#include <cctype>

#include "render/font.h"
#include "render/screen.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace screens {

namespace {

// Text drawn with font slot 1 must stay clear of the two-pixel bevel.
constexpr int Bevel = 2;

struct Box {
    int left, top, right, bottom; // inclusive
};

bool isBoxed(const Button& b) {
    return b.action != Label;
}

bool isEmptyPanel(const Button* b) {
    return b && b->action == Inactive && b->text[0] == '\0';
}

// Labels stand inside the sunken inner panel where a screen has one, else inside
// the raised panel, else on the bare screen.
Box labelArea(const UpdateWizard& w) {
    const Button* area = nullptr;
    if (isEmptyPanel(w.buttons[2]))
        area = w.buttons[2];
    else if (isEmptyPanel(w.buttons[1]))
        area = w.buttons[1];
    if (!area)
        return {0, 0, screenWidth() - 1, screenHeight() - 1};
    return {area->x + Bevel, area->y + Bevel, area->x + area->width - Bevel,
            area->y + area->height - Bevel};
}

std::string px(int n) {
    return std::to_string(n) + " px";
}

bool overlaps(const Box& a, const Box& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

int visibleCharacters(const char* text) {
    int n = 0;
    for (const char* c = text; c && *c; ++c)
        if (!std::isspace(static_cast<unsigned char>(*c)))
            ++n;
    return n;
}

// The texts a screen wraps into its label slots, to see whether all of them
// found a slot.
std::vector<const char*> wrappedTexts(const UpdateWizard& w) {
    int l = w.language;
    switch (w.state) {
    case QuickStartScreen:
        return {QuickStartOutOfDateMessages[l], DeleteQuickStartQuestions[l]};
    case FolderEntryScreen:
        return {PathEntryPrompts[l], ContinuePrompts[l]};
    case WriteFailureScreen:
        return {WriteFailureMessages[l]};
    case IncompatibleScreen:
        return {IncompatibleUpdateMessages[l]};
    default:
        return {};
    }
}

void checkHeader(const UpdateWizard& w, std::vector<Finding>& out) {
    const char* title = WindowTitles[w.language];
    int over = 10 + stringWidth(5, title) - screenWidth();
    if (over > 0)
        out.push_back({-1, title, "window title runs " + px(over) + " past the screen"});
    over = 10 + stringWidth(2, UpdaterVersionText) - screenWidth();
    if (over > 0)
        out.push_back(
            {-1, UpdaterVersionText, "version line runs " + px(over) + " past the screen"});
    if (w.state == ProgressScreen) {
        const char* heading = UpdatingLabels[w.language];
        over = w.boxX + stringWidth(2, heading) - screenWidth();
        if (over > 0)
            out.push_back({-1, heading, "heading runs " + px(over) + " past the screen"});
    }
}

} // namespace

std::vector<Finding> checkTextFit(const UpdateWizard& w) {
    std::vector<Finding> out;
    checkHeader(w, out);

    Box area = labelArea(w);
    int lineHeight = fontHeight(1);
    int labelCharacters = 0;
    for (int slot = 0; slot < ButtonSlotCount; ++slot) {
        const Button* b = w.buttons[slot];
        if (!b || b->text[0] == '\0')
            continue;
        int width = stringWidth(1, b->text);
        if (isBoxed(*b)) {
            int over = width + 2 * Bevel - b->width;
            if (over > 0)
                out.push_back({slot, b->text, "caption is " + px(over) + " wider than its box"});
            continue;
        }
        if (slot >= 5)
            labelCharacters += visibleCharacters(b->text);
        Box text{b->x, b->y, b->x + width - 1, b->y + lineHeight - 1};
        if (text.right > area.right)
            out.push_back(
                {slot, b->text, "line runs " + px(text.right - area.right) + " past its panel"});
        if (text.bottom > area.bottom)
            out.push_back(
                {slot, b->text, "line runs " + px(text.bottom - area.bottom) + " below its panel"});
        for (int other = 0; other < ButtonSlotCount; ++other) {
            const Button* o = w.buttons[other];
            if (!o || !isBoxed(*o) || isEmptyPanel(o))
                continue;
            if (overlaps(text, {o->x, o->y, o->x + o->width, o->y + o->height}))
                out.push_back({slot, b->text, "line overlaps \"" + std::string(o->text) + "\""});
        }
    }

    std::vector<const char*> wrapped = wrappedTexts(w);
    if (!wrapped.empty()) {
        int expected = 0;
        for (const char* text : wrapped)
            expected += visibleCharacters(text);
        if (labelCharacters < expected)
            out.push_back({-1, wrapped.front(),
                           std::to_string(expected - labelCharacters) +
                               " characters found no line: more lines than slots"});
    }
    return out;
}

TightestFit tightestFit(const UpdateWizard& w) {
    TightestFit tightest;
    Box area = labelArea(w);
    // Wrapping fills its lines up to the limit by design; only fixed lines and
    // captions tell how much room a translation has.
    bool wraps = !wrappedTexts(w).empty();
    for (int slot = 0; slot < ButtonSlotCount; ++slot) {
        const Button* b = w.buttons[slot];
        if (!b || b->text[0] == '\0' || (wraps && !isBoxed(*b)))
            continue;
        int width = stringWidth(1, b->text);
        int spare = isBoxed(*b) ? b->width - 2 * Bevel - width : area.right - (b->x + width - 1);
        if (spare < tightest.spare)
            tightest = {slot, b->text, spare};
    }
    return tightest;
}

} // namespace screens
