#include <algorithm>

#include "platform/windows1252.h"
#include "render/font.h"
#include "wizard/keyboard_focus.h"
#include "wizard/texts.h"

namespace {

constexpr int LabelFont = 1;
constexpr int TroughSlot = 2;
constexpr int LastStep = 48;

std::vector<ScreenElement> drawnTexts;

PlatformRect textRect(int x, int y, int font, const char* text) {
    return {x, y, x + stringWidth(font, text), y + fontHeight(font)};
}

// Buttons are drawn with both corners included.
PlatformRect buttonRect(const Button& b) {
    return {b.x, b.y, b.x + b.width + 1, b.y + b.height + 1};
}

bool describeSlot(const UpdateWizard& w, int slot, ScreenElement& e) {
    const Button* b = w.buttons[slot];
    if (b == nullptr) {
        return false;
    }
    e.slot = slot;
    e.rect = buttonRect(*b);
    if (b->action == Label) {
        e.role = ElementRole::StaticText;
        e.name = b->text;
        e.rect = textRect(b->x, b->y, LabelFont, b->text);
        return !e.name.empty();
    }
    if (b->action == TextField) {
        e.role = ElementRole::EditableText;
        e.name = windows1252FromUtf8(w.installPath);
    } else if (w.state == ProgressScreen && slot == TroughSlot) {
        e.role = ElementRole::ProgressBar;
        e.value = std::clamp((w.progressCount - 1) * 100 / (LastStep - 1), 0, 100);
        return true;
    } else if (b->text[0] == '\0') {
        return false; // a panel
    } else {
        e.role = ElementRole::PushButton;
        e.name = b->text;
        e.unavailable = b->action == Inactive;
    }
    e.focusable = isFocusable(w, slot);
    e.focused = e.focusable && w.focusSlot == slot;
    return true;
}

} // namespace

void forgetDrawnTexts() {
    drawnTexts.clear();
}

void noteDrawnText(std::int16_t x, std::int16_t y, int font, const char* text) {
    ScreenElement e;
    e.name = text;
    e.rect = textRect(x, y, font, text);
    drawnTexts.push_back(e);
}

ScreenDescription describeScreen(const UpdateWizard& w) {
    ScreenDescription d;
    d.title = WindowTitles[w.language];
    d.elements = drawnTexts;
    // Until the language screen is drawn, its buttons are not on show.
    if (w.builtState == w.state) {
        for (int slot = 0; slot < ButtonSlotCount; ++slot) {
            ScreenElement e;
            if (describeSlot(w, slot, e)) {
                d.elements.push_back(e);
            }
        }
    }
    std::stable_sort(
        d.elements.begin(), d.elements.end(), [](const ScreenElement& a, const ScreenElement& b) {
            return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
        });
    return d;
}

void publishScreen(const UpdateWizard& w, ScreenEvent event) {
    if (platform().screenDescribed != nullptr) {
        platform().screenDescribed(describeScreen(w), event);
    }
}
