#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_io.h"
#include "render/draw.h"
#include "update/commit.h"
#include "update/file_list.h"
#include "update/file_ops.h"
#include "update/package.h"
#include "update/package_check.h"
#include "update/paths.h"
#include "update/run_log.h"
#include "wizard/texts.h"
#include "wizard/wizard_steps.h"

namespace {

constexpr Colour555 BarColour = 0x001F;
constexpr int LastStep = UpdateFileCount + 1;
// Room for the journal and the file system's own bookkeeping.
constexpr std::int64_t SpareBytes = std::int64_t{1} << 20;

// What this run has staged, and in which installation folder (empty: nothing).
// The installation itself is only touched by the commit of the last step.
std::string stagedFolder;
StagedUpdate staging;

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

// Step 0: everything the update needs is checked before anything is written.
std::int16_t checkSources(const UpdateWizard& w) {
    const char* readme = LanguageReadmeFiles[w.language];
    for (int e = 0; e < UpdateFileCount; ++e) {
        const char* source = isReadmeEntry(e) ? readme : PackageFileName;
        if (!canOpen(source)) {
            runLog("Cannot open %s: %s", source, systemErrorText().c_str());
            return SourceErrorScreen;
        }
    }
    // A typed folder may hold an update killed inside its commit.
    recoverUpdate(w.installPath);

    const PackageCheck check = checkPackage();
    if (!check.sound) {
        runLog("The update file is corrupt: %s", check.problem.c_str());
        return SourceErrorScreen;
    }
    std::int64_t needed = fileSize(readme) + SpareBytes;
    for (const std::uint32_t count : check.counts) {
        needed += count;
    }
    const std::int64_t available = availableBytes(w.installPath);
    if (available >= 0 && available < needed) {
        runLog("Not enough space in %s: the update needs %lld bytes, %lld are free", w.installPath,
               static_cast<long long>(needed), static_cast<long long>(available));
        return WriteFailureScreen;
    }
    runLog("Checked %s: %lld bytes", PackageFileName,
           static_cast<long long>(fileSize(PackageFileName)));

    stagedFolder = w.installPath;
    staging = StagedUpdate{};
    staging.readmeSource = fromFsPath(std::filesystem::absolute(toFsPath(readme)));
    staging.versionText = UpdaterVersionText;
    return ProgressScreen;
}

// Steps 1 to 47: entry e's new contents beside its target.
std::int16_t stageEntry(const UpdateWizard& w, int e) {
    const UpdateFileEntry& entry = UpdateFileList[e];
    char target[PathAreaBytes];
    if (!formTargetPath(target, sizeof target, w.installPath, entry.subfolder, entry.name)) {
        runLog("The path of %s in %s is too long", entry.name, w.installPath);
        return WriteFailureScreen;
    }
    const std::string staged = stagedPathFor(target);
    std::uint64_t size = 0;
    bool packageBad = false;
    bool written = false;
    // Something that is no file where the entry goes could not be put back by an
    // undo, so it fails the entry as an unwritable target would.
    std::error_code error;
    const bool blocked = std::filesystem::exists(toFsPath(target), error) &&
                         !std::filesystem::is_regular_file(toFsPath(target), error);
    if (blocked) {
        written = false;
    } else if (isReadmeEntry(e)) {
        written = copyFileTo(LanguageReadmeFiles[w.language], staged.c_str(), size);
    } else {
        written = extractEntry(e, staged.c_str(), packageBad);
        const std::int64_t length = written ? fileSize(staged.c_str()) : -1;
        written = written && length >= 0;
        size = static_cast<std::uint64_t>(length);
    }
    if (written) {
        staging.staged[e] = true;
        staging.sizes[e] = size;
        runLog("Staged %s (%llu bytes)", target, static_cast<unsigned long long>(size));
        return ProgressScreen;
    }
    const std::string reason =
        blocked ? "something other than a file is in the way" : systemErrorText();
    if (packageBad) {
        runLog("The update file is corrupt: entry %s is cut short", entry.name);
        return SourceErrorScreen;
    }
    if (equalsIgnoreCase(entry.name, "pics.cfg")) {
        runLog("Cannot write %s: %s; the update goes on without it", staged.c_str(),
               reason.c_str());
        return ProgressScreen;
    }
    runLog("Cannot write %s: %s", staged.c_str(), reason.c_str());
    return WriteFailureScreen;
}

// Step 48: all of it, or nothing.
std::int16_t commit(UpdateWizard& w) {
    staging.installPath = stagedFolder.c_str();
    switch (commitUpdate(staging)) {
    case CommitOutcome::Committed:
        stagedFolder.clear();
        runLog("Updated %s", w.installPath);
        return stateAfterUpdate(w);
    case CommitOutcome::StagingLost:
        // The retry stages again from the first entry.
        removeStagedFiles(stagedFolder.c_str());
        stagedFolder.clear();
        return WriteFailureScreen;
    default:
        return WriteFailureScreen;
    }
}

} // namespace

void runUpdateStep(UpdateWizard& w) {
    int n = w.progressCount;
    if (n > 0 && stagedFolder != w.installPath) {
        // Resumed into another folder (or after the staging was lost): what was
        // staged elsewhere does not belong here, so staging starts over.
        discardStagedUpdate();
        n = 0;
        w.progressCount = 0;
    }

    std::int16_t next = ProgressScreen;
    if (n >= LastStep) {
        w.state = commit(w);
        w.buildScreen();
        return;
    }
    next = n == 0 ? checkSources(w) : stageEntry(w, n - 1);
    if (next != ProgressScreen) {
        w.state = next;
        w.buildScreen();
        return;
    }

    const int barRight = w.boxX + 10 + n * (w.boxWidth - 20) / UpdateFileCount;
    drawRect(static_cast<std::int16_t>(w.boxX + 10), static_cast<std::int16_t>(w.boxY + 10),
             static_cast<std::int16_t>(barRight), static_cast<std::int16_t>(w.boxY + 30),
             RectSolidFill, BarColour, KeepExisting);
    w.progressCount = static_cast<std::int16_t>(n + 1);
}

void discardStagedUpdate() {
    if (!stagedFolder.empty()) {
        removeStagedFiles(stagedFolder.c_str());
        stagedFolder.clear();
    }
}
