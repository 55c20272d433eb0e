#include "wizard/wizard_steps.h"

void finishInterruptedUpdate() {}

void discardStagedUpdate() {}
