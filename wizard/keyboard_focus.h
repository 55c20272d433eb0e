// The keyboard focus over a screen's buttons, and the description of the screen
// that assistive technology reads.
#pragma once

#include <cstdint>

#include "platform/screen_description.h"
#include "wizard/update_wizard.h"

// The button slot Enter presses when the focus has not been moved.
inline constexpr int EnterSlot = 4;

// Whether the slot's element can take the focus on the current screen.
bool isFocusable(const UpdateWizard& w, int slot);
// Called when a new screen's elements exist: the focus goes where Enter acts.
void focusNewScreen(UpdateWizard& w);
// Tab, Shift+Tab and, on the language screen, the arrows. False for other keys.
bool moveFocus(UpdateWizard& w, std::uint32_t virtualKey, bool shift);
// Space, and Enter once the focus is shown: presses the focused button. False
// when the key is left to its older meaning.
bool pressFocused(UpdateWizard& w, std::uint32_t virtualKey);
// Whether keys go to the folder-entry field.
bool fieldHasFocus(const UpdateWizard& w);
// The dotted rectangle inside the border of the focused button.
void drawFocusRectangle(const Button& b);

ScreenDescription describeScreen(const UpdateWizard& w);
// Hands the description to the desktop, if anything listens.
void publishScreen(const UpdateWizard& w, ScreenEvent event);

// Texts that buildScreen draws straight into the frame buffer rather than as
// Buttons (the header, the progress heading), so that the description has them.
void forgetDrawnTexts();
void noteDrawnText(std::int16_t x, std::int16_t y, int font, const char* text);
