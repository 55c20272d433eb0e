#include "update/commit.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/file_io.h"
#include "platform/run_log.h"
#include "update/file_ops.h"
#include "update/in_use.h"
#include "update/install_record.h"
#include "update/journal.h"

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
bool isFile(const Folder& folder, const Name& name) {
    return entryIn(folder, name) == EntryKind::File;
}

// Only a regular file has a size here: a link of the right size is not the update's.
std::optional<std::uint64_t> sizeOf(const Folder& folder, const Name& name) {
    std::uint64_t size = 0;
    if (entryIn(folder, name, &size) != EntryKind::File) {
        return std::nullopt;
    }
    return size;
}

constexpr Name JournalTemporary = "tactico-update.journal.tmp";

// One entry's three places: its target in the installation, and its staged and
// old files in the staging folder.
struct Places {
    const Folder* folder = nullptr; // the target's; null when it cannot be had
    Name name, staged, aside;
};

Places placesOf(InstallFolders& folders, int index) {
    return {folders.targetFolder(index), UpdateFileList[index].file, stagedName(index),
            asideName(index)};
}

bool flushed(const Folder& folder) {
    if (!syncFolder(folder)) {
        runLog("Cannot flush the folder %s: %s", folder.path().c_str(), systemErrorText().c_str());
        return false;
    }
    return true;
}

// The folders whose entries the commit creates, renames and removes: only those
// of this update's entries, since one that holds none of them (a pictures folder
// the installation lacks, pics.cfg left out) may not be there to flush.
bool syncFolders(InstallFolders& folders, const Journal& journal) {
    std::vector<const Folder*> seen{&folders.game, &folders.staging};
    for (const JournalEntry& entry : journal.entries) {
        const Folder* folder = folders.folderOf(entry.index);
        if (folder != nullptr && std::find(seen.begin(), seen.end(), folder) == seen.end()) {
            seen.push_back(folder);
        }
    }
    return std::all_of(seen.begin(), seen.end(),
                       [](const Folder* folder) { return flushed(*folder); });
}

bool recordNames(const std::string& version) {
    char recorded[200] = "";
    return readInstallValue(RecordKey, "Version", recorded, sizeof recorded) && version == recorded;
}

class Commit {
  public:
    // version is what the record says once the update is in; readme, the update
    // folder's language readme that a commit (never a recovery) removes at its end.
    Commit(InstallFolders& held, Journal plan, std::string version,
           const Folder* readmeFolder = nullptr, std::optional<Name> readme = {})
        : folders(held), journal(std::move(plan)), versionText(std::move(version)),
          updateFolder(readmeFolder), readmeSource(std::move(readme)) {}

    CommitOutcome finish() {
        if (cleanupStarted()) {
            // The record was written before the first old file went.
            return cleanUp() ? CommitOutcome::Committed : CommitOutcome::Stuck;
        }
        if (!stagedComplete() || !rollForward()) {
            return undo();
        }
        if (!syncFolders(folders, journal)) {
            return undo();
        }
        if (!writeInstallValue(RecordKey, "Version", versionText.c_str())) {
            // Written but not flushed, the record may yet turn old again: the old
            // files and the journal stay for the next start, which can then still
            // go either way.
            if (recordNames(versionText)) {
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
        // Whatever went on under the program, it is done only when the record
        // says so.
        if (!recordNames(versionText)) {
            runLog("The installation record does not name \"%s\" once written",
                   versionText.c_str());
            return undo();
        }
        runLog("Recorded \"Version\" = \"%s\"", versionText.c_str());
        return cleanUp() ? CommitOutcome::Committed : CommitOutcome::Stuck;
    }

    // The record already names this update's version, so the old files must not
    // come back under it: whatever happens, the update is only ever completed.
    CommitOutcome complete() {
        if (!cleanupStarted() && (!stagedComplete() || !rollForward())) {
            runLog("The record names the new version; the next start completes the update");
            return CommitOutcome::Stuck;
        }
        if (!syncFolders(folders, journal)) {
            return CommitOutcome::Stuck;
        }
        // A run killed before the record's folder reached the disk leaves a record
        // that a power cut may yet turn old: the old files and the journal stay
        // until it is sure, so that the next start can still go either way.
        if (!flushInstallRecord(RecordKey)) {
            runLog("Cannot flush the installation record: %s; the update is in place and the "
                   "next start finishes its clean-up",
                   systemErrorText().c_str());
            return CommitOutcome::Committed;
        }
        return cleanUp() ? CommitOutcome::Committed : CommitOutcome::Stuck;
    }

    bool writeJournal() {
        const PrivateFolder& staging = folders.staging;
        const std::string text = journalText(journal);
        File file = createFreshIn(staging, JournalTemporary);
        bool ok = file.isOpen() && file.write(text.data(), text.size());
        if (file.isOpen()) {
            ok = file.sync() && ok;
            ok = file.close() && ok;
        }
        if (!ok || !moveWhenFree(staging, JournalTemporary, staging, JournalFile)) {
            runLog("Cannot write %s: %s", staging.pathOf(JournalFile).c_str(),
                   systemErrorText().c_str());
            const SystemErrorKept kept;
            removeIn(staging, JournalTemporary);
            return false;
        }
        if (!operations.done()) {
            return false;
        }
        // A journal whose name is not on the disk cannot guard the renames.
        if (!flushed(staging)) {
            undo();
            return false;
        }
        return true;
    }

    bool stopped() const { return operations.stopped; }

  private:
    template <typename From, typename To>
    bool move(const From& from, const Name& fromName, const To& to, const Name& toName) {
        if (!moveWhenFree(from, fromName, to, toName)) {
            runLog("Cannot move %s to %s: %s", from.pathOf(fromName).c_str(),
                   to.pathOf(toName).c_str(), systemErrorText().c_str());
            return false;
        }
        return operations.done();
    }

    // Every entry's folder, or the reason in the log: nothing is moved through a
    // folder that is not the installation's.
    bool placesKnown(std::vector<Places>& places) {
        places.clear();
        for (const JournalEntry& entry : journal.entries) {
            places.push_back(placesOf(folders, entry.index));
            if (places.back().folder == nullptr) {
                return false;
            }
        }
        return true;
    }

    // An entry whose old file was there, is no longer beside it and whose staged
    // file is in: only the clean-up after the record removes old files.
    bool cleanupStarted() {
        const PrivateFolder& staging = folders.staging;
        for (const JournalEntry& entry : journal.entries) {
            if (entry.hadOld && !isFile(staging, stagedName(entry.index)) &&
                !isFile(staging, asideName(entry.index))) {
                return true;
            }
        }
        return false;
    }

    bool stagedComplete() {
        std::vector<Places> places;
        if (!placesKnown(places)) {
            return false;
        }
        const PrivateFolder& staging = folders.staging;
        for (std::size_t i = 0; i < places.size(); ++i) {
            const Places& p = places[i];
            if (isFile(staging, p.staged) ? sizeOf(staging, p.staged) != journal.entries[i].size
                                          : !isFile(*p.folder, p.name)) {
                runLog("The staged file for %s is missing or incomplete",
                       p.folder->pathOf(p.name).c_str());
                return false;
            }
        }
        return true;
    }

    bool rollForward() {
        std::vector<Places> places;
        if (!placesKnown(places)) {
            return false;
        }
        const PrivateFolder& staging = folders.staging;
        for (std::size_t i = 0; i < places.size(); ++i) {
            const Places& p = places[i];
            if (!isFile(staging, p.staged)) {
                continue; // already in place
            }
            if (journal.entries[i].hadOld && !isFile(staging, p.aside) &&
                isFile(*p.folder, p.name) && !move(*p.folder, p.name, staging, p.aside)) {
                return false;
            }
            if (!move(staging, p.staged, *p.folder, p.name)) {
                return false;
            }
            runLog("Replaced %s", p.folder->pathOf(p.name).c_str());
        }
        return true;
    }

    // Every new file goes back to its staged name and every old file to its own.
    CommitOutcome undo() {
        std::vector<Places> places;
        if (operations.stopped) {
            return CommitOutcome::Stuck;
        }
        bool ok = placesKnown(places);
        const PrivateFolder& staging = folders.staging;
        for (std::size_t i = places.size(); ok && i-- > 0;) {
            const Places& p = places[i];
            const bool movedIn = !isFile(staging, p.staged) &&
                                 (isFile(staging, p.aside) || !journal.entries[i].hadOld);
            if (movedIn && isFile(*p.folder, p.name)) {
                ok = move(*p.folder, p.name, staging, p.staged);
            }
            if (ok && isFile(staging, p.aside)) {
                ok = move(staging, p.aside, *p.folder, p.name);
            }
        }
        if (!ok) {
            runLog("The update could not be undone; the next start tries again");
            return CommitOutcome::Stuck;
        }
        // Unflushed, the old names may come back after a power cut with the journal
        // gone; the journal stays until they are on the disk.
        if (!syncFolders(folders, journal) || !removed(staging, JournalFile) ||
            !operations.done()) {
            return CommitOutcome::Stuck;
        }
        syncFolder(staging);
        runLog("Undid the update: the installation is as it was");
        return CommitOutcome::NothingChanged;
    }

    // The record already names the new version, so a leftover that will not go
    // away is only wasted space: the next start's sweep takes it.
    bool cleanUp() {
        const PrivateFolder& staging = folders.staging;
        for (const JournalEntry& entry : journal.entries) {
            const Name aside = asideName(entry.index);
            if (isFile(staging, aside) && removed(staging, aside) && !operations.done()) {
                return false;
            }
        }
        if (updateFolder != nullptr && readmeSource &&
            entryIn(*updateFolder, *readmeSource) != EntryKind::None &&
            removed(*updateFolder, *readmeSource) && !operations.done()) {
            return false;
        }
        // Past the record nothing is undone: an unflushed rename only keeps the
        // journal, and the next start flushes again before it removes it.
        if (!syncFolders(folders, journal)) {
            runLog("The update is in place; the next start finishes its clean-up");
            return true;
        }
        if (removed(staging, JournalFile) && !operations.done()) {
            return false;
        }
        folders.removeStaging();
        flushed(folders.game);
        return true;
    }

    static bool removed(const Folder& folder, const Name& name) {
        if (removeWhenFree(folder, name)) {
            return true;
        }
        runLog("Cannot remove %s: %s", folder.pathOf(name).c_str(), systemErrorText().c_str());
        return false;
    }

    InstallFolders& folders;
    Journal journal;
    std::string versionText;
    const Folder* updateFolder;
    std::optional<Name> readmeSource;
    Operations operations;
};

} // namespace

CommitOutcome commitUpdate(const StagedUpdate& update) {
    InstallFolders& folders = *update.folders;
    Journal journal;
    std::vector<Name> stagedFiles;
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (!update.staged[e]) {
            continue;
        }
        const Places p = placesOf(folders, e);
        if (p.folder == nullptr) {
            return CommitOutcome::NothingChanged;
        }
        if (sizeOf(folders.staging, p.staged) != update.sizes[e]) {
            runLog("The staged file for %s is missing or incomplete",
                   p.folder->pathOf(p.name).c_str());
            return CommitOutcome::StagingLost;
        }
        stagedFiles.push_back(p.staged);
        // An old file left by an earlier run would be taken for this commit's.
        if (!removeWhenFree(folders.staging, p.aside)) {
            runLog("Cannot remove %s: %s", folders.staging.pathOf(p.aside).c_str(),
                   systemErrorText().c_str());
            return CommitOutcome::NothingChanged;
        }
        journal.entries.push_back({e, isFile(*p.folder, p.name), update.sizes[e]});
    }
    // One flush for all: staging wrote without, so the disk works once, not 47 times.
    if (!syncFilesIn(folders.staging, stagedFiles)) {
        runLog("Cannot flush the staged files: %s", systemErrorText().c_str());
        return CommitOutcome::NothingChanged;
    }
    if (!syncFolders(folders, journal)) {
        return CommitOutcome::NothingChanged;
    }

    // Started while the files were staged: its files cannot all be replaced now.
    if (gameRunning(folders)) {
        return CommitOutcome::NothingChanged;
    }
    Commit commit(folders, std::move(journal), update.versionText, update.updateFolder,
                  update.readmeSource);
    if (!commit.writeJournal()) {
        return commit.stopped() ? CommitOutcome::Stuck : CommitOutcome::NothingChanged;
    }
    return commit.finish();
}

CommitOutcome resumeCommit(InstallFolders& folders, const Journal& journal,
                           const std::string& versionText) {
    Commit commit(folders, journal, versionText);
    return recordNames(versionText) ? commit.complete() : commit.finish();
}
