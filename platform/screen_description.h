// What a screen shows, element by element, for whoever cannot see the pixels:
// the core describes its screen once, and each backend hands the description to
// the desktop's assistive technology in that desktop's own terms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

enum class ElementRole : std::uint8_t { StaticText, PushButton, ProgressBar, EditableText };

struct ScreenElement {
    ElementRole role = ElementRole::StaticText;
    // Windows-1252, as the screen draws it.
    std::string name;
    // Frame-buffer pixels; right and bottom exclusive.
    PlatformRect rect{};
    bool focusable = false;
    bool focused = false;
    // A greyed-out button.
    bool unavailable = false;
    // The progress bar's value in per cent.
    int value = 0;
    // What a default action presses: the wizard's Button slot, -1 for none.
    int slot = -1;
};

// The elements in reading order.
struct ScreenDescription {
    std::string title;
    std::vector<ScreenElement> elements;
};

enum class ScreenEvent : std::uint8_t { NewScreen, FocusMoved, ValueChanged };

// One line per element, as the headless desktop prints a screen.
std::string describeAsText(const ScreenDescription& description);
