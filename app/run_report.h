// The lines of the log that belong to the run as a whole: how it was started,
// which screens it passed, and how it ended.
#pragma once

#include "app/run_outcome.h"

void logRunStart(const char* commandLine);
// Called once per frame: notes the screen when it changed since the last call.
void logScreenChange();
void logRunEnd(const RunOutcome& outcome, int exitCode);
