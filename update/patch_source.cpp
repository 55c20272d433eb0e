#include "update/patch_source.h"

#include "platform/file_io.h"
#include "update/commit.h"
#include "update/digest.h"
#include "update/file_ops.h"
#include "update/paths.h"
#include "update/run_log.h"

PatchSource::~PatchSource() {
    close();
}

void PatchSource::close() {
    if (patch != nullptr) {
        std::fclose(patch);
        patch = nullptr;
    }
}

PatchFit PatchSource::fail(PatchFit fit, std::string problem) {
    why = std::move(problem);
    if (fit == PatchFit::Bad) {
        close();
    }
    return fit;
}

PatchFit PatchSource::open(InstallFolders& folders, const char* recordVersion,
                           const Sha256Digest* listed) {
    close();
    table.reset();
    why.clear();
    installed = &folders;
    for (bool& left : leftAsItIs) {
        left = false;
    }
    patch = openLocked(PatchFileName);
    if (patch == nullptr) {
        return fail(PatchFit::Bad,
                    std::string(PatchFileName) + " cannot be opened: " + systemErrorText());
    }
    length = seekFile(patch, 0, SEEK_END) ? tellFile(patch) : -1;
    // The whole file against its line first: nothing in it is believed before.
    if (listed != nullptr && !matchesListed(*listed)) {
        return fail(PatchFit::Bad, why);
    }
    std::string problem;
    table = readPatchTable(patch, length, problem);
    if (!table) {
        return fail(PatchFit::Bad, std::string(PatchFileName) + " is no sound patch: " + problem);
    }
    if (!table->fits(recordVersion)) {
        const std::string number = versionNumberOf(recordVersion);
        return fail(PatchFit::Incompatible, "it was made for version " + baseVersions() +
                                                ", the record says " +
                                                (number.empty() ? "no version" : number));
    }
    return checkBases();
}

bool PatchSource::matchesListed(const Sha256Digest& listed) {
    const std::optional<Sha256Digest> actual =
        length >= 0 && seekFile(patch, 0, SEEK_SET)
            ? digestOfBytes(patch, static_cast<std::uint64_t>(length))
            : std::nullopt;
    if (!actual) {
        why = std::string(PatchFileName) + " cannot be read: " + systemErrorText();
        return false;
    }
    if (*actual != listed) {
        why = std::string(PatchFileName) + " has SHA-256 " + digestToHex(*actual) + ", " +
              DigestFileName + " lists " + digestToHex(listed);
        return false;
    }
    return true;
}

// Every file the patch was made against, as installed: a patch applied to anything
// else would make a file nobody shipped.
PatchFit PatchSource::checkBases() {
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (isReadmeEntry(e)) {
            continue;
        }
        std::string path;
        std::FILE* base = openBase(e, path);
        bool readFailed = base == nullptr;
        const bool matches = base != nullptr && baseMatches(table->entries[e], base, readFailed);
        if (base != nullptr) {
            std::fclose(base);
        }
        if (matches) {
            continue;
        }
        const std::string what = readFailed ? " cannot be read"
                                            : " is not the file this patch "
                                              "was made against";
        // A player's own pictures list stays theirs, as when it cannot be written.
        if (equalsIgnoreCase(UpdateFileList[e].name, "pics.cfg")) {
            runLog("%s%s; the update goes on without it", path.c_str(), what.c_str());
            leftAsItIs[e] = true;
            continue;
        }
        return fail(PatchFit::BaseDiffers, path + what);
    }
    return PatchFit::Fits;
}

std::FILE* PatchSource::openBase(int e, std::string& shown) {
    const Folder* folder = installed->folderOf(e);
    shown = UpdateFileList[e].name;
    if (folder == nullptr) {
        return nullptr;
    }
    shown = utf8FromSystemText(folder->path() + PathSeparator + UpdateFileList[e].name);
    return openFileIn(*folder, UpdateFileList[e].name, -1);
}

std::string PatchSource::baseVersions() const {
    std::string text;
    if (table) {
        for (const std::string& version : table->baseVersions) {
            text += (text.empty() ? "" : ", ") + version;
        }
    }
    return text;
}

bool PatchSource::nothingToWrite(int e) const {
    return !table || leftAsItIs[e] || table->entries[e].kind == PatchKind::Unchanged;
}

CopyResult PatchSource::stageEntry(int e, std::FILE* target) {
    const PatchEntry& entry = table->entries[e];
    std::FILE* base = nullptr;
    if (entry.kind == PatchKind::Delta) {
        std::string path;
        base = openBase(e, path);
        if (base == nullptr) {
            why = path + " cannot be read: " + systemErrorText();
            return CopyResult::WriteFailed;
        }
    }
    const PatchApplyResult result = applyPatchEntry(patch, entry, base, target, workspace);
    if (base != nullptr) {
        std::fclose(base);
    }
    switch (result.status) {
    case PatchApplyStatus::Done:
        return CopyResult::Done;
    case PatchApplyStatus::PatchBad:
        why = std::string(PatchFileName) + ", entry " + UpdateFileList[e].name + ": " +
              result.message;
        return CopyResult::SourceShort;
    default:
        why = std::string(UpdateFileList[e].name) + ": " + result.message;
        return CopyResult::WriteFailed;
    }
}
