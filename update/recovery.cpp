#include "update/recovery.h"

#include <optional>
#include <string>

#include "platform/file_io.h"
#include "platform/run_log.h"
#include "update/commit.h"
#include "update/file_ops.h"
#include "update/install_folders.h"
#include "update/journal.h"

RecoveryOutcome recoverUpdate(const char* installPath, const char* versionText) {
    InstallFolders folders;
    if (!folders.open(installPath)) {
        return RecoveryOutcome::NoJournal;
    }
    if (!folders.openStaging(false)) {
        return folders.stagingRefused() ? RecoveryOutcome::Left : RecoveryOutcome::NoJournal;
    }
    const PrivateFolder& staging = folders.staging;
    RecoveryOutcome outcome = RecoveryOutcome::NoJournal;
    if (entryIn(staging, JournalFile) != EntryKind::None) {
        std::string text;
        const std::optional<Journal> journal =
            readSmallFile(staging, JournalFile, JournalMaxBytes, text) ? parseJournal(text)
                                                                       : std::nullopt;
        // Left where it is: removing it would switch off the guard of an update
        // that may still be half done, and it is an administrator's to look at.
        if (!journal) {
            runLog("%s is not a journal this program wrote; the installation is left as it is",
                   staging.pathOf(JournalFile).c_str());
            return RecoveryOutcome::Left;
        }
        for (const JournalEntry& entry : journal->entries) {
            if (folders.targetFolder(entry.index) == nullptr) {
                return RecoveryOutcome::Left;
            }
        }
        runLog("Found an interrupted update in %s", installPath);
        switch (resumeCommit(folders, *journal, versionText)) {
        case CommitOutcome::Committed:
            runLog("Completed the interrupted update");
            outcome = RecoveryOutcome::Completed;
            break;
        case CommitOutcome::Stuck:
            return RecoveryOutcome::Left;
        default:
            outcome = RecoveryOutcome::Undone;
            break;
        }
    }
    folders.removeStaging();
    return outcome;
}
