// How a run ended, as unattended runs report it in their exit code and every
// run reports it in its log.
#pragma once

enum ExitCode : int {
    ExitUpdated = 0, // or packed
    ExitNotInstalled = 1,
    ExitPackageBad = 2,
    ExitWriteFailed = 3,
    ExitBadCommandLine = 4,
    ExitPackFailed = 5,
    ExitNotStarted = 6,
    ExitPatchIncompatible = 7,
    ExitInstallCorrupt = 8,
};

// What pack mode did: not asked for, or its result.
enum class PackResult { NotAsked, Packed, PackedWithPatch, Failed };

struct RunOutcome {
    int exitCode;
    const char* description;
};

// finalState is the wizard's state when the main loop ended; started is false
// when the application object was never made; checksPassed, that a check-only run
// found nothing in the update's way.
RunOutcome runOutcome(bool started, int finalState, PackResult pack, bool checksPassed = false);
