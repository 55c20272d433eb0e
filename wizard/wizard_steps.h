// The parts of a frame step, each in its own file.
#pragma once

#include <cstdint>

#include "wizard/update_wizard.h"

// One step of the progress screen: the source check, one entry, or the end.
void runUpdateStep(UpdateWizard& wizard);

// Sets the language and looks the installation up: the version screen when it
// is found, the not-installed screen otherwise.
void chooseLanguage(UpdateWizard& wizard, std::int32_t language);

// The state at the end of an update: the quick-start question when old
// quick-start games are present, the completion screen otherwise.
std::int16_t stateAfterUpdate(UpdateWizard& wizard);
