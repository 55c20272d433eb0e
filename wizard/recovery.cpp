#include "update/commit.h"
#include "update/install_record.h"
#include "wizard/update_wizard.h"
#include "wizard/wizard_steps.h"

void finishInterruptedUpdate() {
    char location[PathAreaBytes];
    if (readInstallValue("Tactico", "Location", location, sizeof location) &&
        installPathFits(location)) {
        recoverUpdate(location);
    }
}
