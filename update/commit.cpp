#include "update/commit.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

#include "platform/file_io.h"
#include "update/copy_bytes.h"
#include "update/file_ops.h"
#include "update/install_record.h"
#include "update/journal.h"
#include "update/paths.h"
#include "update/run_log.h"
#include "update/update_session.h"

namespace fs = std::filesystem;

namespace commit_hooks {
bool (*afterOperation)(int count) = nullptr;
} // namespace commit_hooks

namespace {

constexpr const char* RecordKey = "Tactico";

// Counts the operations that change the disk, so a test can stop a commit after
// any one of them. Once stopped, nothing more is done: the program is "dead".
class Operations {
  public:
    bool done() {
        ++count;
        stopped = stopped ||
                  (commit_hooks::afterOperation != nullptr && commit_hooks::afterOperation(count));
        return !stopped;
    }
    bool stopped = false;

  private:
    int count = 0;
};

// Which of an entry's three names hold a file is all a commit, an undo or a
// recovery goes by; anything else under those names is not the update's.
bool isFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(fs::symlink_status(toFsPath(path.c_str()), error));
}

// Only a regular file has a size here: a link of the right size is not the update's.
std::optional<std::uint64_t> sizeOf(const std::string& path) {
    if (!isFile(path)) {
        return std::nullopt;
    }
    std::error_code error;
    const std::uintmax_t size = fs::file_size(toFsPath(path.c_str()), error);
    if (error) {
        return std::nullopt;
    }
    return size;
}

// A link is removed as itself; only a real file is made writable first.
bool removeFile(const std::string& path) {
    makeWritable(path.c_str());
    return removeEntry(path.c_str());
}

std::string journalPath(const char* installPath) {
    return std::string(installPath) + PathSeparator + JournalFileName;
}

std::string folderOf(const char* installPath, int index) {
    const std::string target = entryTargetPath(installPath, index);
    return target.substr(0, target.find_last_of(PathSeparator));
}

// The folders any entry of an update may be created, renamed or removed in.
std::set<std::string> updateFolders(const char* installPath) {
    std::set<std::string> folders{installPath};
    for (int e = 0; e < UpdateFileCount; ++e) {
        folders.insert(folderOf(installPath, e));
    }
    return folders;
}

// Only the folders of this update's entries: one that holds none of them (a
// pictures folder the installation lacks, pics.cfg left out) has no name to flush.
bool syncFolders(const char* installPath, const Journal& journal) {
    std::set<std::string> folders{installPath};
    for (const JournalEntry& entry : journal.entries) {
        folders.insert(folderOf(installPath, entry.index));
    }
    for (const std::string& folder : folders) {
        if (!syncFolder(folder.c_str())) {
            runLog("Cannot flush the folder %s: %s", utf8FromSystemText(folder).c_str(),
                   systemErrorText().c_str());
            return false;
        }
    }
    return true;
}

// A subfolder of the installation that is a link or a junction leads out of it:
// nothing is moved, written or removed through it.
bool linkedFolder(const char* installPath) {
    for (const std::string& folder : updateFolders(installPath)) {
        if (folder != installPath && isLink(folder.c_str())) {
            runLog("%s is a link; the update does not write through it",
                   utf8FromSystemText(folder).c_str());
            return true;
        }
    }
    return false;
}

bool recordSays(const std::string& version) {
    char recorded[200] = "";
    return readInstallValue(RecordKey, "Version", recorded, sizeof recorded) && version == recorded;
}

struct Paths {
    std::string target, staged, aside;
};

Paths pathsOf(const char* installPath, int index) {
    Paths paths;
    paths.target = entryTargetPath(installPath, index);
    paths.staged = stagedPathFor(paths.target);
    paths.aside = asidePathFor(paths.target);
    return paths;
}

class Commit {
  public:
    // version is what the record says once the update is in; readme, the update
    // folder's language readme that a commit (never a recovery) removes at its end.
    Commit(const char* folder, Journal plan, std::string version, std::string readme = {})
        : installPath(folder), journal(std::move(plan)), versionText(std::move(version)),
          readmeSource(std::move(readme)) {}

    CommitOutcome finish() {
        if (cleanupStarted()) {
            // The record was written before the first old file went.
            return cleanUp() ? CommitOutcome::Committed : CommitOutcome::Stuck;
        }
        if (!stagedComplete() || !rollForward()) {
            return undo();
        }
        if (!syncFolders(installPath, journal)) {
            return undo();
        }
        if (!writeInstallValue(RecordKey, "Version", versionText.c_str())) {
            // Written but not flushed, the record may yet turn old again: the old
            // files and the journal stay for the next start, which can then still
            // go either way.
            if (recordSays(versionText)) {
                runLog("The update is in place; the next start finishes its clean-up");
                return CommitOutcome::Committed;
            }
            runLog("Cannot write \"Version\" into the installation record: %s",
                   systemErrorText().c_str());
            return undo();
        }
        if (!operations.done()) {
            return CommitOutcome::Stuck;
        }
        runLog("Recorded \"Version\" = \"%s\"", utf8FromSystemText(versionText).c_str());
        return cleanUp() ? CommitOutcome::Committed : CommitOutcome::Stuck;
    }

    // The record already names this update's version, so the old files must not
    // come back under it: whatever happens, the update is only ever completed.
    CommitOutcome complete() {
        if (!cleanupStarted() && (!stagedComplete() || !rollForward())) {
            runLog("The record names the new version; the next start completes the update");
            return CommitOutcome::Stuck;
        }
        if (!syncFolders(installPath, journal)) {
            return CommitOutcome::Stuck;
        }
        return cleanUp() ? CommitOutcome::Committed : CommitOutcome::Stuck;
    }

    bool writeJournal() {
        const std::string path = journalPath(installPath);
        const std::string temporary = temporaryPathFor(path.c_str());
        const std::string text = journalText(journal);
        std::FILE* file = createFresh(temporary.c_str());
        bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (file != nullptr) {
            ok = syncFile(file) && ok;
            ok = std::fclose(file) == 0 && ok;
        }
        if (!ok || !moveReplacing(temporary.c_str(), path.c_str())) {
            runLog("Cannot write %s: %s", utf8FromSystemText(path).c_str(),
                   systemErrorText().c_str());
            removeQuietly(temporary.c_str());
            return false;
        }
        if (!operations.done()) {
            return false;
        }
        // A journal whose name is not on the disk cannot guard the renames.
        if (!syncFolder(installPath)) {
            runLog("Cannot flush the folder %s: %s", utf8FromSystemText(installPath).c_str(),
                   systemErrorText().c_str());
            undo();
            return false;
        }
        return true;
    }

    bool stopped() const { return operations.stopped; }

  private:
    bool move(const std::string& from, const std::string& to) {
        if (!moveReplacing(from.c_str(), to.c_str())) {
            runLog("Cannot move %s to %s: %s", utf8FromSystemText(from).c_str(),
                   utf8FromSystemText(to).c_str(), systemErrorText().c_str());
            return false;
        }
        return operations.done();
    }

    // An entry whose old file was there, is no longer beside it and whose staged
    // file is in: only the clean-up after the record removes old files.
    bool cleanupStarted() const {
        for (const JournalEntry& entry : journal.entries) {
            const Paths paths = pathsOf(installPath, entry.index);
            if (entry.hadOld && !isFile(paths.staged) && !isFile(paths.aside)) {
                return true;
            }
        }
        return false;
    }

    bool stagedComplete() const {
        for (const JournalEntry& entry : journal.entries) {
            const Paths paths = pathsOf(installPath, entry.index);
            if (isFile(paths.staged) ? sizeOf(paths.staged) != entry.size : !isFile(paths.target)) {
                runLog("The staged file for %s is missing or incomplete",
                       utf8FromSystemText(paths.target).c_str());
                return false;
            }
        }
        return true;
    }

    bool rollForward() {
        for (const JournalEntry& entry : journal.entries) {
            const Paths paths = pathsOf(installPath, entry.index);
            if (!isFile(paths.staged)) {
                continue; // already in place
            }
            if (entry.hadOld && !isFile(paths.aside) && isFile(paths.target) &&
                !move(paths.target, paths.aside)) {
                return false;
            }
            if (!move(paths.staged, paths.target)) {
                return false;
            }
            runLog("Replaced %s", utf8FromSystemText(paths.target).c_str());
        }
        return true;
    }

    // Every new file goes back to its staged name and every old file to its own.
    CommitOutcome undo() {
        if (operations.stopped) {
            return CommitOutcome::Stuck;
        }
        bool ok = true;
        for (auto entry = journal.entries.rbegin(); ok && entry != journal.entries.rend();
             ++entry) {
            const Paths paths = pathsOf(installPath, entry->index);
            const bool movedIn = !isFile(paths.staged) && (isFile(paths.aside) || !entry->hadOld);
            if (movedIn && isFile(paths.target)) {
                ok = move(paths.target, paths.staged);
            }
            if (ok && isFile(paths.aside)) {
                ok = move(paths.aside, paths.target);
            }
        }
        if (!ok) {
            runLog("The update could not be undone; the next start tries again");
            return CommitOutcome::Stuck;
        }
        // Unflushed, the old names may come back after a power cut with the journal
        // gone; the journal stays until they are on the disk.
        if (!syncFolders(installPath, journal) || !removed(journalPath(installPath)) ||
            !operations.done()) {
            return CommitOutcome::Stuck;
        }
        syncFolder(installPath);
        runLog("Undid the update: the installation is as it was");
        return CommitOutcome::NothingChanged;
    }

    // The record already names the new version, so a leftover that will not go
    // away is only wasted space: the next start's sweep takes it.
    bool cleanUp() {
        for (const JournalEntry& entry : journal.entries) {
            const Paths paths = pathsOf(installPath, entry.index);
            if (isFile(paths.aside) && removed(paths.aside) && !operations.done()) {
                return false;
            }
        }
        if (!readmeSource.empty() && standsAt(readmeSource.c_str()) && removed(readmeSource) &&
            !operations.done()) {
            return false;
        }
        // Past the record nothing is undone: an unflushed rename only keeps the
        // journal, and the next start flushes again before it removes it.
        if (!syncFolders(installPath, journal)) {
            runLog("The update is in place; the next start finishes its clean-up");
            return true;
        }
        if (removed(journalPath(installPath)) && !operations.done()) {
            return false;
        }
        if (!syncFolder(installPath)) {
            runLog("Cannot flush the folder %s: %s", utf8FromSystemText(installPath).c_str(),
                   systemErrorText().c_str());
        }
        return true;
    }

    static bool removed(const std::string& path) {
        if (removeFile(path)) {
            return true;
        }
        runLog("Cannot remove %s: %s", utf8FromSystemText(path).c_str(), systemErrorText().c_str());
        return false;
    }

    const char* installPath;
    Journal journal;
    std::string versionText;
    std::string readmeSource;
    Operations operations;
};

} // namespace

std::string stagedPathFor(const std::string& target) {
    return target + ".new-update";
}

std::string asidePathFor(const std::string& target) {
    return target + ".old-update";
}

std::string entryTargetPath(const char* installPath, int index) {
    char path[1024];
    const UpdateFileEntry& entry = UpdateFileList[index];
    return formTargetPath(path, sizeof path, installPath, entry.subfolder, entry.name) ? path : "";
}

CommitOutcome commitUpdate(const StagedUpdate& update) {
    Journal journal;
    std::vector<std::string> stagedFiles;
    if (linkedFolder(update.installPath)) {
        return CommitOutcome::NothingChanged;
    }
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (!update.staged[e]) {
            continue;
        }
        const Paths paths = pathsOf(update.installPath, e);
        if (sizeOf(paths.staged) != update.sizes[e]) {
            runLog("The staged file for %s is missing or incomplete",
                   utf8FromSystemText(paths.target).c_str());
            return CommitOutcome::StagingLost;
        }
        stagedFiles.push_back(paths.staged);
        // An old file left beside its target by an earlier run would be taken for
        // this commit's.
        if (isFile(paths.aside) && !removeFile(paths.aside)) {
            runLog("Cannot remove %s: %s", utf8FromSystemText(paths.aside).c_str(),
                   systemErrorText().c_str());
            return CommitOutcome::NothingChanged;
        }
        journal.entries.push_back({e, isFile(paths.target), update.sizes[e]});
    }
    // One flush for all: staging wrote without, so the disk works once, not 47 times.
    if (!syncPaths(stagedFiles)) {
        runLog("Cannot flush the staged files: %s", systemErrorText().c_str());
        return CommitOutcome::NothingChanged;
    }
    if (!syncFolders(update.installPath, journal)) {
        return CommitOutcome::NothingChanged;
    }

    Commit commit(update.installPath, std::move(journal), update.versionText, update.readmeSource);
    if (!commit.writeJournal()) {
        return commit.stopped() ? CommitOutcome::Stuck : CommitOutcome::NothingChanged;
    }
    return commit.finish();
}

RecoveryOutcome recoverUpdate(const char* installPath, const char* versionText) {
    const std::string path = journalPath(installPath);
    RecoveryOutcome outcome = RecoveryOutcome::NoJournal;
    if (standsAt(path.c_str())) {
        std::string text;
        const std::optional<Journal> journal =
            readSmallFile(path.c_str(), JournalMaxBytes, text) ? parseJournal(text) : std::nullopt;
        // Left where it is: removing it would switch off the guard of an update
        // that may still be half done, and it is an administrator's to look at.
        if (!journal) {
            runLog("%s is not a journal this program wrote; the installation is left as it is",
                   utf8FromSystemText(path).c_str());
            return RecoveryOutcome::Left;
        }
        if (linkedFolder(installPath)) {
            return RecoveryOutcome::Left;
        }
        runLog("Found an interrupted update in %s", utf8FromSystemText(installPath).c_str());
        Commit commit(installPath, *journal, versionText);
        switch (recordSays(versionText) ? commit.complete() : commit.finish()) {
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
    removeStagedFiles(installPath);
    return outcome;
}

void removeStagedFiles(const char* installPath) {
    if (standsAt(journalPath(installPath).c_str())) {
        return;
    }
    for (int e = 0; e < UpdateFileCount; ++e) {
        const Paths paths = pathsOf(installPath, e);
        if (paths.target.empty()) {
            continue;
        }
        for (const std::string& leftover : {paths.staged, temporaryPathFor(paths.staged.c_str()),
                                            paths.aside, temporaryPathFor(paths.target.c_str())}) {
            // A link planted at one of these names goes too, as itself.
            if (isFile(leftover) || isLink(leftover.c_str())) {
                removeFile(leftover);
            }
        }
    }
    removeQuietly(temporaryPathFor(journalPath(installPath).c_str()).c_str());
}
