// What the entry and the command line tell the rest of the program about this run.
#pragma once

#include <string>

#include "app/command_line.h"
#include "app/run_outcome.h"

namespace run_context {
// The parsed command line of the current run.
extern RunOptions options;
// The desktop's own language, which an unattended run takes when no /lang is
// given; the entry sets it, and it stays English where nothing better is known.
extern int systemLanguage;
// The operating system and its version, for the log; the entry sets it.
extern std::string platformDescription;
// Set by pack mode.
extern PackResult packResult;
} // namespace run_context

// The language an unattended run answers the language screen with.
int silentLanguage();
