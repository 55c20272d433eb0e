#include "update/commit.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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

bool exists(const std::string& path) {
    std::error_code error;
    return fs::exists(toFsPath(path.c_str()), error);
}

// Which of an entry's three names hold a file is all a commit, an undo or a
// recovery goes by; anything else under those names is not the update's.
bool isFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(toFsPath(path.c_str()), error);
}

std::optional<std::uint64_t> sizeOf(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(toFsPath(path.c_str()), error);
    if (error) {
        return std::nullopt;
    }
    return size;
}

bool removeFile(const std::string& path) {
    makeWritable(path.c_str());
    return std::remove(path.c_str()) == 0 || !exists(path);
}

std::string journalPath(const char* installPath) {
    return std::string(installPath) + PathSeparator + JournalFileName;
}

// The folders whose entries the update creates, renames and removes.
std::set<std::string> updateFolders(const char* installPath) {
    std::set<std::string> folders{installPath};
    for (int e = 0; e < UpdateFileCount; ++e) {
        const std::string target = entryTargetPath(installPath, e);
        folders.insert(target.substr(0, target.find_last_of(PathSeparator)));
    }
    return folders;
}

void syncFolders(const char* installPath) {
    for (const std::string& folder : updateFolders(installPath)) {
        syncFolder(folder.c_str());
    }
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
    Commit(const char* folder, Journal plan) : installPath(folder), journal(std::move(plan)) {}

    CommitOutcome finish() {
        if (cleanupStarted()) {
            // The record was written before the first old file went.
            return cleanUp() ? CommitOutcome::Committed : CommitOutcome::Stuck;
        }
        if (!stagedComplete() || !rollForward()) {
            return undo();
        }
        syncFolders(installPath);
        if (!writeInstallValue(RecordKey, "Version", journal.versionText.c_str())) {
            runLog("Cannot write \"Version\" into the installation record");
            return undo();
        }
        if (!operations.done()) {
            return CommitOutcome::Stuck;
        }
        runLog("Recorded \"Version\" = \"%s\"", journal.versionText.c_str());
        return cleanUp() ? CommitOutcome::Committed : CommitOutcome::Stuck;
    }

    bool writeJournal() {
        const std::string path = journalPath(installPath);
        const std::string temporary = temporaryPathFor(path.c_str());
        const std::string text = journalText(journal);
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (file != nullptr) {
            ok = syncFile(file) && ok;
            ok = std::fclose(file) == 0 && ok;
        }
        if (!ok || !moveReplacing(temporary.c_str(), path.c_str())) {
            runLog("Cannot write %s: %s", path.c_str(), systemErrorText().c_str());
            removeQuietly(temporary.c_str());
            return false;
        }
        syncFolder(installPath);
        return operations.done();
    }

    bool stopped() const { return operations.stopped; }

  private:
    bool move(const std::string& from, const std::string& to) {
        if (!moveReplacing(from.c_str(), to.c_str())) {
            runLog("Cannot move %s to %s: %s", from.c_str(), to.c_str(), systemErrorText().c_str());
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
                runLog("The staged file for %s is missing or incomplete", paths.target.c_str());
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
            runLog("Replaced %s", paths.target.c_str());
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
        syncFolders(installPath);
        if (!removed(journalPath(installPath)) || !operations.done()) {
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
        if (!journal.readmeSource.empty() && exists(journal.readmeSource) &&
            removed(journal.readmeSource) && !operations.done()) {
            return false;
        }
        syncFolders(installPath);
        if (removed(journalPath(installPath)) && !operations.done()) {
            return false;
        }
        syncFolder(installPath);
        return true;
    }

    static bool removed(const std::string& path) {
        if (removeFile(path)) {
            return true;
        }
        runLog("Cannot remove %s: %s", path.c_str(), systemErrorText().c_str());
        return false;
    }

    const char* installPath;
    Journal journal;
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
    journal.versionText = update.versionText;
    journal.readmeSource = update.readmeSource;
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (!update.staged[e]) {
            continue;
        }
        const Paths paths = pathsOf(update.installPath, e);
        if (sizeOf(paths.staged) != update.sizes[e]) {
            runLog("The staged file for %s is missing or incomplete", paths.target.c_str());
            return CommitOutcome::StagingLost;
        }
        stagedFiles.push_back(paths.staged);
        // An old file left beside its target by an earlier run would be taken for
        // this commit's.
        if (isFile(paths.aside) && !removeFile(paths.aside)) {
            runLog("Cannot remove %s: %s", paths.aside.c_str(), systemErrorText().c_str());
            return CommitOutcome::NothingChanged;
        }
        journal.entries.push_back({e, isFile(paths.target), update.sizes[e]});
    }
    // One flush for all: staging wrote without, so the disk works once, not 47 times.
    if (!syncPaths(stagedFiles)) {
        runLog("Cannot flush the staged files: %s", systemErrorText().c_str());
        return CommitOutcome::NothingChanged;
    }
    syncFolders(update.installPath);

    Commit commit(update.installPath, std::move(journal));
    if (!commit.writeJournal()) {
        return commit.stopped() ? CommitOutcome::Stuck : CommitOutcome::NothingChanged;
    }
    return commit.finish();
}

void recoverInterruptedUpdate(const char* installPath) {
    const std::string path = journalPath(installPath);
    std::ifstream file(toFsPath(path.c_str()), std::ios::binary);
    if (file) {
        const std::string text{std::istreambuf_iterator<char>(file), {}};
        file.close();
        const std::optional<Journal> journal = parseJournal(text);
        if (!journal) {
            runLog("%s cannot be read; the installation is left as it is", path.c_str());
            return;
        }
        runLog("Found an interrupted update in %s", installPath);
        switch (Commit(installPath, *journal).finish()) {
        case CommitOutcome::Committed:
            runLog("Completed the interrupted update");
            break;
        case CommitOutcome::Stuck:
            return;
        default:
            break;
        }
    }
    removeStagedFiles(installPath);
}

void removeStagedFiles(const char* installPath) {
    if (exists(journalPath(installPath))) {
        return;
    }
    for (int e = 0; e < UpdateFileCount; ++e) {
        const Paths paths = pathsOf(installPath, e);
        if (paths.target.empty()) {
            continue;
        }
        for (const std::string& leftover : {paths.staged, temporaryPathFor(paths.staged.c_str()),
                                            paths.aside, temporaryPathFor(paths.target.c_str())}) {
            if (isFile(leftover)) {
                removeFile(leftover);
            }
        }
    }
    removeQuietly(temporaryPathFor(journalPath(installPath).c_str()).c_str());
}
