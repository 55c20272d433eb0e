#include "update/quick_start.h"
#include "wizard/update_wizard.h"
#include "wizard/wizard_steps.h"

bool UpdateWizard::removeQuickStartFiles(bool deleteThem) {
    return ::removeQuickStartFiles(installPath.c_str(), deleteThem);
}

std::int16_t stateAfterUpdate(UpdateWizard& wizard) {
    // Saved quick-start games hold data of the old version; the user decides
    // whether they go, once the new files are in place.
    return wizard.removeQuickStartFiles(false) ? QuickStartScreen : CompletedScreen;
}
