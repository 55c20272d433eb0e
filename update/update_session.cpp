#include "update/update_session.h"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "platform/file_io.h"
#include "update/copy_bytes.h"
#include "update/file_ops.h"
#include "update/package.h"
#include "update/paths.h"
#include "update/publisher_keys.h"
#include "update/run_log.h"

namespace {

// Room for the journal and the file system's own bookkeeping.
constexpr std::int64_t SpareBytes = std::int64_t{1} << 20;

bool canOpen(const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

std::int64_t fileSize(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return -1;
    }
    const std::int64_t size = seekFile(file, 0, SEEK_END) ? tellFile(file) : -1;
    std::fclose(file);
    return size;
}

// Something that is no file where the entry goes could not be put back by an
// undo, so it fails the entry as an unwritable target would.
bool blockedTarget(const std::string& target) {
    std::error_code error;
    return std::filesystem::exists(toFsPath(target.c_str()), error) &&
           !std::filesystem::is_regular_file(toFsPath(target.c_str()), error);
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
    return {kind, kind == UpdateStepKind::Staged ? step - 1 : -1};
}

void UpdateSession::discard() {
    if (stepsDone_ > 0 && !committed()) {
        removeStagedFiles(plan_.installPath.c_str());
    }
    if (!committed()) {
        stepsDone_ = 0;
    }
    sources_.close();
}

// Everything the update needs is checked before anything is written.
UpdateStepKind UpdateSession::check() {
    const char* readme = plan_.readme.c_str();
    for (int e = 0; e < UpdateFileCount; ++e) {
        const char* source = isReadmeEntry(e) ? readme : PackageFileName;
        if (!canOpen(source)) {
            runLog("Cannot open %s: %s", source, systemErrorText().c_str());
            return UpdateStepKind::SourceFailed;
        }
    }
    const char* installPath = plan_.installPath.c_str();
    // A typed folder may hold an update killed inside its commit.
    recoverInterruptedUpdate(installPath);

    if (!sources_.open(readme, publisherKeys())) {
        runLog("The update file is corrupt: %s", sources_.problem().c_str());
        return UpdateStepKind::SourceFailed;
    }
    if (const PublisherKey* key = sources_.signer()) {
        runLog("%s is signed by publisher key %s (SHA-256 %s)", DigestFileName, key->name,
               key->fingerprint);
    }
    std::int64_t needed = fileSize(readme) + SpareBytes;
    for (int e = 0; e < UpdateFileCount; ++e) {
        needed += sources_.count(e);
    }
    const std::int64_t available = availableBytes(installPath);
    if (available >= 0 && available < needed) {
        runLog("Not enough space in %s: the update needs %lld bytes, %lld are free", installPath,
               static_cast<long long>(needed), static_cast<long long>(available));
        return UpdateStepKind::WriteFailed;
    }
    runLog("Checked %s: %lld bytes", PackageFileName,
           static_cast<long long>(sources_.packageBytes()));

    staging_ = StagedUpdate{};
    staging_.installPath = installPath;
    staging_.readmeSource = fromFsPath(std::filesystem::absolute(toFsPath(readme)));
    staging_.versionText = plan_.versionText;
    return UpdateStepKind::Checked;
}

// Entry e's new contents beside its target.
UpdateStepKind UpdateSession::stage(int e) {
    const UpdateFileEntry& entry = UpdateFileList[e];
    const std::string target = entryTargetPath(plan_.installPath.c_str(), e);
    if (target.empty()) {
        runLog("The path of %s in %s is too long", entry.name, plan_.installPath.c_str());
        return UpdateStepKind::WriteFailed;
    }
    const std::string staged = stagedPathFor(target);
    std::uint64_t size = 0;
    bool packageBad = false;
    bool written = false;
    const bool blocked = blockedTarget(target);
    if (isReadmeEntry(e)) {
        written = !blocked && sources_.copyReadme(staged.c_str(), size, packageBad);
    } else {
        // Every body is read and hashed, also one that cannot be written.
        const std::string temporary = temporaryPathFor(staged.c_str());
        std::FILE* file = blocked ? nullptr : std::fopen(temporary.c_str(), "wb");
        const CopyResult result = sources_.stageEntry(e, file);
        packageBad = result == CopyResult::SourceShort;
        written = file != nullptr && result == CopyResult::Done;
        written = (file == nullptr || std::fclose(file) == 0) && written &&
                  replaceWith(temporary.c_str(), staged.c_str());
        if (!written) {
            removeQuietly(temporary.c_str());
        }
        size = sources_.count(e);
    }
    if (written) {
        staging_.staged[e] = true;
        staging_.sizes[e] = size;
        runLog("Staged %s (%llu bytes)", target.c_str(), static_cast<unsigned long long>(size));
        return UpdateStepKind::Staged;
    }
    const std::string reason =
        blocked ? "something other than a file is in the way" : systemErrorText();
    if (packageBad) {
        runLog("The update file is corrupt: %s", sources_.problem().c_str());
        return UpdateStepKind::SourceFailed;
    }
    if (equalsIgnoreCase(entry.name, "pics.cfg")) {
        runLog("Cannot write %s: %s; the update goes on without it", staged.c_str(),
               reason.c_str());
        return UpdateStepKind::Staged;
    }
    runLog("Cannot write %s: %s", staged.c_str(), reason.c_str());
    return UpdateStepKind::WriteFailed;
}

// All of it, or nothing.
UpdateStepKind UpdateSession::commit() {
    // What was staged is what was read; it goes in only if that is what was listed.
    if (!sources_.matchesDigests()) {
        runLog("The update file is corrupt: %s", sources_.problem().c_str());
        discard();
        return UpdateStepKind::SourceFailed;
    }
    switch (commitUpdate(staging_)) {
    case CommitOutcome::Committed:
        sources_.close();
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
