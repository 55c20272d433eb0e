#include "wizard/keyboard_focus.h"

#include <algorithm>
#include <vector>

#include "platform/messages.h"
#include "render/draw.h"

namespace {

constexpr int FieldSlot = 2;
// Black stands out from the grey face whether the button is raised or sunken.
constexpr Colour555 FocusColour = 0;
// Inside the two-pixel bevel, with a pixel of face between.
constexpr int FocusInset = 3;

bool isPushButton(const Button* b) {
    return b != nullptr && b->text[0] != '\0' && b->action >= ChooseLanguage &&
           b->action <= KeepQuickStart;
}

// Focusable slots in reading order: top to bottom, then left to right.
std::vector<int> focusOrder(const UpdateWizard& w) {
    std::vector<int> order;
    for (int slot = 0; slot < ButtonSlotCount; ++slot) {
        if (isFocusable(w, slot)) {
            order.push_back(slot);
        }
    }
    std::stable_sort(order.begin(), order.end(), [&w](int a, int b) {
        const Button& p = *w.buttons[a];
        const Button& q = *w.buttons[b];
        return p.y != q.y ? p.y < q.y : p.x < q.x;
    });
    return order;
}

void redraw(UpdateWizard& w, int slot) {
    if (slot >= 0 && slot < ButtonSlotCount) {
        w.drawButton(w.buttons[slot]);
    }
}

void setFocus(UpdateWizard& w, int slot) {
    const int old = w.focusSlot;
    w.focusSlot = static_cast<std::int16_t>(slot);
    w.focusShown = true;
    redraw(w, old);
    redraw(w, slot);
    publishScreen(w, ScreenEvent::FocusMoved);
}

void dot(int x, int y) {
    drawLine(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
             static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), LineSolid, FocusColour);
}

} // namespace

bool isFocusable(const UpdateWizard& w, int slot) {
    const Button* b = w.buttons[slot];
    if (w.state == FolderEntryScreen && slot == FieldSlot) {
        return b != nullptr && b->action == TextField;
    }
    return isPushButton(b);
}

bool fieldHasFocus(const UpdateWizard& w) {
    return w.state == FolderEntryScreen && w.focusSlot == FieldSlot && isFocusable(w, FieldSlot);
}

void focusNewScreen(UpdateWizard& w) {
    w.focusSlot = -1;
    if (w.state == FolderEntryScreen) {
        w.focusSlot = FieldSlot;
    } else if (w.state == LanguageScreen) {
        const std::vector<int> order = focusOrder(w);
        if (!order.empty()) {
            w.focusSlot = static_cast<std::int16_t>(order.front());
        }
    } else if (w.state != ProgressScreen && isPushButton(w.buttons[EnterSlot])) {
        w.focusSlot = EnterSlot;
    }
}

bool moveFocus(UpdateWizard& w, std::uint32_t virtualKey, bool shift) {
    int step = 0;
    if (virtualKey == win::kVkTab) {
        step = shift ? -1 : 1;
    } else if (w.state == LanguageScreen &&
               (virtualKey == win::kVkUp || virtualKey == win::kVkLeft)) {
        step = -1;
    } else if (w.state == LanguageScreen &&
               (virtualKey == win::kVkDown || virtualKey == win::kVkRight)) {
        step = 1;
    } else {
        return false;
    }
    std::vector<int> order = focusOrder(w);
    if (virtualKey != win::kVkTab) {
        // The arrows stay within the language list.
        std::erase_if(order, [&w](int slot) { return w.buttons[slot]->action != ChooseLanguage; });
    }
    if (order.empty()) {
        return true;
    }
    const auto at = std::find(order.begin(), order.end(), w.focusSlot);
    int next = 0;
    if (at == order.end()) {
        next = step > 0 ? 0 : static_cast<int>(order.size()) - 1;
    } else {
        const int size = static_cast<int>(order.size());
        next = (static_cast<int>(at - order.begin()) + step + size) % size;
    }
    setFocus(w, order[static_cast<std::size_t>(next)]);
    return true;
}

bool pressFocused(UpdateWizard& w, std::uint32_t virtualKey) {
    const bool space = virtualKey == win::kVkSpace;
    const bool enter = virtualKey == win::kVkReturn && w.focusShown;
    if ((!space && !enter) || w.focusSlot < 0 || fieldHasFocus(w)) {
        return false;
    }
    Button* b = w.buttons[w.focusSlot];
    if (!isPushButton(b)) {
        return false;
    }
    b->autoClick = 1;
    return true;
}

void drawFocusRectangle(const Button& b) {
    const int left = b.x + FocusInset;
    const int top = b.y + FocusInset;
    const int right = b.x + b.width - FocusInset;
    const int bottom = b.y + b.height - FocusInset;
    if (right <= left || bottom <= top) {
        return;
    }
    for (int x = left; x <= right; x += 2) {
        dot(x, top);
        dot(x, bottom);
    }
    for (int y = top; y <= bottom; y += 2) {
        dot(left, y);
        dot(right, y);
    }
}
