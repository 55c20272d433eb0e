// The wizard's ten Button slots own what they hold.
#pragma once

#include "wizard/update_wizard.h"

// Stores button in slot, releasing what the slot held; an empty result from
// makeButton leaves the slot empty.
inline Button* placeButton(UpdateWizard& wizard, int slot, Button* button) {
    delete wizard.buttons[slot];
    wizard.buttons[slot] = button;
    return button;
}

inline void releaseButtons(UpdateWizard& wizard) {
    for (int slot = 0; slot < ButtonSlotCount; ++slot) {
        placeButton(wizard, slot, nullptr);
    }
}
