#include "update/update_session.h"

#include <set>
#include <utility>

#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/run_log.h"
#include "update/copy_bytes.h"
#include "update/file_ops.h"
#include "update/in_use.h"
#include "update/install_record.h"
#include "update/journal.h"
#include "update/package.h"
#include "update/publisher_keys.h"

namespace {

// Room for the journal and the file system's own bookkeeping.
constexpr std::int64_t SpareBytes = std::int64_t{1} << 20;

// The update folder is anyone's to prepare: only regular files count, and a FIFO
// planted there fails at once instead of waiting for a writer.
bool canOpen(const Folder& folder, const Name& name) {
    return openFileIn(folder, name, -1, Source::Untrusted).isOpen();
}

// Something that is no file where the entry goes (a folder, or a link that may
// lead anywhere) could not be put back by an undo, so it fails the entry as an
// unwritable target would.
const char* blockedTarget(const Folder& folder, const Name& name) {
    switch (entryIn(folder, name)) {
    case EntryKind::None:
    case EntryKind::File:
        return nullptr;
    case EntryKind::Link:
        return "a link is in the way";
    default:
        return "something other than a file is in the way";
    }
}

// What a recovery would find in installPath, looked at and left as it is.
RecoveryOutcome interruptedUpdateIn(const char* installPath) {
    InstallFolders folders;
    if (!folders.open(installPath) || !folders.openStaging(false)) {
        return folders.stagingRefused() ? RecoveryOutcome::Left : RecoveryOutcome::NoJournal;
    }
    if (entryIn(folders.staging, JournalFile) != EntryKind::None) {
        runLog("An update of %s was killed inside its commit: the update would first complete or "
               "undo it; these checks look at the files as they are now",
               installPath);
    }
    return RecoveryOutcome::NoJournal;
}

// Installations whose update recovery completed in this run, with the version it
// recorded.
std::set<std::pair<std::string, std::string>>& completedByRecovery() {
    static std::set<std::pair<std::string, std::string>> completed;
    return completed;
}

} // namespace

UpdateSession::UpdateSession(UpdatePlan plan) : plan_(std::move(plan)) {}

UpdateSession::~UpdateSession() {
    discard();
}

UpdateStep UpdateSession::next() {
    const int step = stepsDone_;
    UpdateStepKind kind = UpdateStepKind::Committed;
    if (step == 0) {
        kind = check();
    } else if (step <= UpdateFileCount) {
        kind = stage(step - 1);
    } else if (step == UpdateFileCount + 1) {
        kind = commit();
    }
    const bool advanced = kind == UpdateStepKind::Checked || kind == UpdateStepKind::Staged ||
                          (kind == UpdateStepKind::Committed && step < StepCount);
    if (advanced) {
        ++stepsDone_;
    }
    // Found already done by a recovery: nothing is left to stage or commit.
    if (step == 0 && kind == UpdateStepKind::Committed) {
        stepsDone_ = StepCount;
    }
    return {kind, kind == UpdateStepKind::Staged ? step - 1 : -1};
}

void UpdateSession::discard() {
    sources_.close();
    patch_.close();
    if (stepsDone_ > 0 && !committed()) {
        folders_.removeStaging();
    }
    if (!committed()) {
        stepsDone_ = 0;
    }
}

// Every folder is held from here on: whatever is renamed or linked in the
// installation later, the update lands only where these were.
bool UpdateSession::holdFolders() {
    if (folders_.game.isOpen()) {
        return true;
    }
    if (!folders_.open(plan_.installPath.c_str())) {
        return false;
    }
    for (int e = 0; e < UpdateFileCount; ++e) {
        folders_.folderOf(e);
    }
    return true;
}

std::optional<UpdateStepKind> UpdateSession::choosePatch() {
    const bool fullBeside = canOpen(updateFolder_, PackageFile);
    if (!sources_.openWithout(updateFolder_, *readme_, publisherKeys(), PatchFileName,
                              plan_.versionText)) {
        runLog("The update file is corrupt: %s", sources_.problem().c_str());
        return UpdateStepKind::SourceFailed;
    }
    // As stored: the version screen shows some numbers as later ones, the files
    // are still those of the number stored.
    char recorded[200] = "";
    readInstallValue("Tactico", "Version", recorded, sizeof recorded);
    // The patch is read from a copy there; a dry run reads it where it lies.
    if (!plan_.dryRun && !folders_.openStaging(true)) {
        return UpdateStepKind::WriteFailed;
    }
    const PatchFit fit =
        patch_.open(folders_, updateFolder_, recorded, sources_.listedDigest(PatchFileName));
    switch (fit) {
    case PatchFit::Fits:
        fromPatch_ = true;
        runLog("Using %s: it was made for version %s, and every installed file is the size it "
               "was made against",
               PatchFileName, patch_.baseVersions().c_str());
        return std::nullopt;
    case PatchFit::Bad:
        // One download damaged need not stop the other, listed in the same digest file.
        if (!fullBeside) {
            runLog("The update file is corrupt: %s", patch_.problem().c_str());
            return UpdateStepKind::SourceFailed;
        }
        runLog("%s cannot be used: %s", PatchFileName, patch_.problem().c_str());
        break;
    case PatchFit::Incompatible:
    case PatchFit::BaseDiffers: {
        const std::string installed = versionNumberOf(recorded);
        if (fit == PatchFit::Incompatible && !installed.empty() &&
            installed == versionNumberOf(plan_.versionText.c_str())) {
            runLog("The installation is already at %s", installed.c_str());
        }
        runLog("%s does not fit this installation: %s", PatchFileName, patch_.problem().c_str());
        break;
    }
    }
    patch_.close();
    if (fullBeside) {
        runLog("Using %s instead, the full update", PackageFileName);
        return std::nullopt;
    }
    return fit == PatchFit::Incompatible ? UpdateStepKind::Incompatible
                                         : UpdateStepKind::InstallCorrupt;
}

// Everything the update needs is checked before anything is written but the
// staging folder; a check that fails leaves nothing behind.
UpdateStepKind UpdateSession::check() {
    UpdateStepKind kind = checkSources();
    if (plan_.dryRun && kind == UpdateStepKind::Checked) {
        kind = readThrough();
    }
    if (kind != UpdateStepKind::Checked && kind != UpdateStepKind::Committed) {
        patch_.close();
        folders_.removeStaging();
    }
    return kind;
}

UpdateStepKind UpdateSession::checkSources() {
    const char* installPath = plan_.installPath.c_str();
    // A typed folder may hold an update killed inside its commit; a journal that
    // stays must not be overwritten by this update's.
    const RecoveryOutcome recovery =
        plan_.dryRun ? interruptedUpdateIn(installPath)
                     : recoverInterruptedUpdate(installPath, plan_.versionText.c_str());
    if (recovery == RecoveryOutcome::Left) {
        return UpdateStepKind::WriteFailed;
    }
    if (completedByRecovery().erase({plan_.installPath, plan_.versionText}) != 0) {
        runLog("The interrupted update of %s was completed; nothing is left to do", installPath);
        return UpdateStepKind::Committed;
    }
    const char* readme = plan_.readme.c_str();
    fromPatch_ = false;
    // Every source is read through the folder held from here on, by its bare name.
    updateFolder_ = openCurrentFolder();
    readme_ = Name::of(plan_.readme);
    if (!readme_ || !canOpen(updateFolder_, *readme_)) {
        runLog("Cannot open %s: %s", readme,
               readme_ ? systemErrorText().c_str() : "not a file name in the update folder");
        return UpdateStepKind::SourceFailed;
    }
    if (!patchLeft_ && canOpen(updateFolder_, PatchFile)) {
        // The installed files the patch is checked against are read through the
        // folders the update then writes in.
        if (!holdFolders()) {
            return UpdateStepKind::WriteFailed;
        }
        if (const std::optional<UpdateStepKind> refused = choosePatch()) {
            return *refused;
        }
    }
    if (!fromPatch_) {
        if (!canOpen(updateFolder_, PackageFile)) {
            runLog("Cannot open %s: %s", PackageFileName, systemErrorText().c_str());
            return UpdateStepKind::SourceFailed;
        }
        if (!sources_.open(updateFolder_, *readme_, publisherKeys(), plan_.versionText)) {
            runLog("The update file is corrupt: %s", sources_.problem().c_str());
            return UpdateStepKind::SourceFailed;
        }
    }
    if (const PublisherKey* key = sources_.signer()) {
        runLog("%s is signed by publisher key %s (SHA-256 %s)", DigestFileName, key->name,
               key->fingerprint);
    }
    std::int64_t needed = sources_.readmeBytes() + SpareBytes;
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (!fromPatch_) {
            needed += sources_.count(e);
        } else if (!patch_.nothingToWrite(e)) {
            needed += static_cast<std::int64_t>(patch_.resultSize(e));
        }
    }
    if (!holdFolders() || gameRunning(folders_)) {
        return UpdateStepKind::WriteFailed;
    }
    const std::int64_t available = availableBytes(folders_.game);
    if (available >= 0 && available < needed) {
        runLog("Not enough space in %s: the update needs %lld bytes, %lld are free", installPath,
               static_cast<long long>(needed), static_cast<long long>(available));
        return UpdateStepKind::WriteFailed;
    }
    if (!updateFolder_.isOpen() || (!plan_.dryRun && !folders_.openStaging(true))) {
        return UpdateStepKind::WriteFailed;
    }
    runLog("Checked %s: %lld bytes", fromPatch_ ? PatchFileName : PackageFileName,
           static_cast<long long>(fromPatch_ ? patch_.patchBytes() : sources_.packageBytes()));

    staging_ = StagedUpdate{};
    staging_.folders = &folders_;
    staging_.updateFolder = &updateFolder_;
    // By its bare name: it is the update folder's, whatever its path comes to name.
    staging_.readmeSource = readme_;
    staging_.versionText = plan_.versionText;
    return UpdateStepKind::Checked;
}

// Entry e's new contents in the staging folder.
UpdateStepKind UpdateSession::stage(int e) {
    const UpdateFileEntry& entry = UpdateFileList[e];
    const std::string target = entryTargetPath(plan_.installPath.c_str(), e);
    const PrivateFolder& staging = folders_.staging;
    const Name staged = stagedName(e);
    std::uint64_t size = 0;
    bool packageBad = false;
    bool written = false;
    std::string why;
    const Folder* folder = folders_.folderOf(e, &why);
    const char* blocked = folder == nullptr ? why.c_str() : blockedTarget(*folder, entry.file);
    if (isReadmeEntry(e)) {
        written = blocked == nullptr && sources_.copyReadme(staging, staged, size, packageBad);
    } else if (fromPatch_ && patch_.nothingToWrite(e)) {
        // The installed file already is the new one (or stays as the player has it).
        return UpdateStepKind::Staged;
    } else {
        // Every body of update.dat is read and hashed, also one that cannot be written.
        const Name temporary = temporaryName(e);
        File file = blocked != nullptr ? File() : createFreshIn(staging, temporary);
        const bool opened = file.isOpen();
        const CopyResult result = !fromPatch_ ? sources_.stageEntry(e, opened ? &file : nullptr)
                                  : opened    ? patch_.stageEntry(e, &file)
                                              : CopyResult::WriteFailed;
        packageBad = result == CopyResult::SourceShort;
        written = opened && result == CopyResult::Done;
        written = (!opened || file.close()) && written &&
                  moveWhenFree(staging, temporary, staging, staged);
        if (!written) {
            const SystemErrorKept kept;
            removeIn(staging, temporary);
            if (fromPatch_ && result == CopyResult::WriteFailed && opened) {
                runLog("Cannot make %s: %s", target.c_str(), patch_.problem().c_str());
            }
        }
        size = fromPatch_ ? patch_.resultSize(e) : sources_.count(e);
        if (!written && fromPatch_ && patch_.baseDiffers()) {
            return leavePatch();
        }
    }
    if (written) {
        staging_.staged[e] = true;
        staging_.sizes[e] = size;
        runLog("Staged %s (%llu bytes)", target.c_str(), static_cast<unsigned long long>(size));
        return UpdateStepKind::Staged;
    }
    const std::string reason = blocked != nullptr ? blocked : systemErrorText();
    if (packageBad) {
        runLog("The update file is corrupt: %s",
               (fromPatch_ ? patch_.problem() : sources_.problem()).c_str());
        return UpdateStepKind::SourceFailed;
    }
    if (equalsIgnoreCase(entry.name, "pics.cfg")) {
        runLog("Cannot write %s: %s; the update goes on without it", target.c_str(),
               reason.c_str());
        return UpdateStepKind::Staged;
    }
    runLog("Cannot write %s: %s", target.c_str(), reason.c_str());
    return UpdateStepKind::WriteFailed;
}

// A dry run's staging and the commit's first check: every byte the update would
// stage is read as it would be and written nowhere, and every place it would write
// to is looked at, in the update's order, so the first failure is the one the
// update would meet. What only writing tells (a full disk, a file in use, a
// record that cannot be written) stays untold.
UpdateStepKind UpdateSession::readThrough() {
    for (int e = 0; e < UpdateFileCount; ++e) {
        const char* name = UpdateFileList[e].name;
        std::string why;
        const Folder* folder = folders_.folderOf(e, &why);
        const char* blocked =
            folder == nullptr ? why.c_str() : blockedTarget(*folder, UpdateFileList[e].file);
        CopyResult result = CopyResult::WriteFailed;
        if (isReadmeEntry(e)) {
            result = blocked != nullptr      ? CopyResult::WriteFailed
                     : sources_.hashReadme() ? CopyResult::Done
                                             : CopyResult::SourceShort;
        } else if (fromPatch_ && patch_.nothingToWrite(e)) {
            continue;
        } else if (!fromPatch_) {
            result = sources_.stageEntry(e, nullptr);
        } else if (blocked == nullptr) {
            result = patch_.stageEntry(e, nullptr);
            if (result != CopyResult::Done && patch_.baseDiffers()) {
                return leavePatch();
            }
        }
        if (result == CopyResult::Done && blocked == nullptr) {
            continue;
        }
        if (result == CopyResult::SourceShort) {
            runLog(
                "The update file is corrupt: %s",
                (fromPatch_ && !isReadmeEntry(e) ? patch_.problem() : sources_.problem()).c_str());
            return UpdateStepKind::SourceFailed;
        }
        const std::string target = entryTargetPath(plan_.installPath.c_str(), e);
        const std::string reason = blocked != nullptr ? blocked : patch_.problem();
        if (equalsIgnoreCase(name, "pics.cfg")) {
            runLog("Cannot write %s: %s; the update goes on without it", target.c_str(),
                   reason.c_str());
            continue;
        }
        runLog("Cannot write %s: %s", target.c_str(), reason.c_str());
        return UpdateStepKind::WriteFailed;
    }
    if (!sources_.matchesDigests()) {
        runLog("The update file is corrupt: %s", sources_.problem().c_str());
        return UpdateStepKind::SourceFailed;
    }
    const std::string patchProblem = patch_.problem();
    if (fromPatch_) {
        runLog("Checked only, nothing written: the update would install %s, made for version %s, "
               "from the installed files it was made against",
               PatchFileName, patch_.baseVersions().c_str());
    } else {
        runLog("Checked only, nothing written: the update would install %s, the full update, %s",
               PackageFileName,
               patchProblem.empty() ? "as there is no update.patch"
                                    : ("as update.patch cannot be used: " + patchProblem).c_str());
    }
    return UpdateStepKind::Checked;
}

// An installed file the checks only measured is not the one the patch was made
// against: as if the checks had found it, nothing staged stays, and update.dat
// beside the patch serves instead, from the checks on.
UpdateStepKind UpdateSession::leavePatch() {
    runLog("%s does not fit this installation: %s", PatchFileName, patch_.problem().c_str());
    discard();
    if (!canOpen(updateFolder_, PackageFile)) {
        return UpdateStepKind::InstallCorrupt;
    }
    runLog("Using %s instead, the full update", PackageFileName);
    patchLeft_ = true;
    return check();
}

// All of it, or nothing.
UpdateStepKind UpdateSession::commit() {
    // What was staged is what was read; it goes in only if that is what was listed.
    if (!sources_.matchesDigests()) {
        runLog("The update file is corrupt: %s", sources_.problem().c_str());
        discard();
        return UpdateStepKind::SourceFailed;
    }
    // Everything is staged: the handles go, so that the readme can leave the update
    // folder and the patch's copy the staging folder.
    sources_.close();
    patch_.close();
    switch (commitUpdate(staging_)) {
    case CommitOutcome::Committed:
        runLog("Updated %s", plan_.installPath.c_str());
        return UpdateStepKind::Committed;
    case CommitOutcome::StagingLost:
        // The retry stages again from the checks.
        discard();
        return UpdateStepKind::WriteFailed;
    default:
        return UpdateStepKind::WriteFailed;
    }
}

RecoveryOutcome recoverInterruptedUpdate(const char* installPath, const char* versionText) {
    const RecoveryOutcome outcome = recoverUpdate(installPath, versionText);
    if (outcome == RecoveryOutcome::Completed) {
        completedByRecovery().insert({installPath, versionText});
    }
    return outcome;
}
