#include "app/run_outcome.h"

#include "wizard/update_wizard.h"

RunOutcome runOutcome(bool started, int finalState, PackResult pack, bool checksPassed) {
    if (pack == PackResult::Packed) {
        return {ExitUpdated, "packed update.dat and update.dat.sha256"};
    }
    if (pack == PackResult::PackedWithPatch) {
        return {ExitUpdated, "packed update.dat, update.patch and update.dat.sha256"};
    }
    if (pack == PackResult::Failed) {
        return {ExitPackFailed, "packing failed"};
    }
    if (!started) {
        return {ExitNotStarted, "the program could not start"};
    }
    if (checksPassed) {
        return {ExitUpdated, "checked: the update would go through; nothing was written"};
    }
    switch (finalState) {
    case CompletedScreen:
    case QuickStartScreen:
        return {ExitUpdated, "updated"};
    case NotInstalledScreen:
        return {ExitNotInstalled, "installation not found"};
    case SourceErrorScreen:
        return {ExitPackageBad, "the update file or the readme is missing, cut or corrupt"};
    case WriteFailureScreen:
    case FolderEntryScreen:
        return {ExitWriteFailed, "the installation could not be written"};
    case IncompatibleScreen:
        return {ExitPatchIncompatible, "update.patch is not for this version, and no update.dat"};
    case CorruptInstallScreen:
        return {ExitInstallCorrupt,
                "the installation's files are not those update.patch was made against"};
    case LanguageScreen:
        return {ExitNotStarted, "ended before the update started"};
    default:
        return {ExitNotStarted, "ended before the update was done"};
    }
}
