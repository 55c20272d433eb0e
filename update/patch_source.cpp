#include "update/patch_source.h"

#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/run_log.h"
#include "update/commit.h"
#include "update/digest.h"
#include "update/file_ops.h"

PatchSource::~PatchSource() {
    close();
}

namespace {

// The copy's name in the staging folder.
constexpr const char* PatchCopyName = "update.patch";

} // namespace

void PatchSource::close() {
    if (patch != nullptr) {
        std::fclose(patch);
        patch = nullptr;
    }
    if (copied && installed != nullptr && installed->staging.isOpen()) {
        removeIn(installed->staging, PatchCopyName);
    }
    copied = false;
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
    // The whole file against its line first: nothing in it is believed before.
    if (!copyIn(listed)) {
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

bool PatchSource::copyIn(const Sha256Digest* listed) {
    const Folder& staging = installed->staging;
    // Nothing is written where there is no staging folder: the hashed handle is read on.
    const bool inPlace = !staging.isOpen();
    std::FILE* from = openLocked(PatchFileName);
    if (from == nullptr) {
        why = std::string(PatchFileName) + " cannot be opened: " + systemErrorText();
        return false;
    }
    std::FILE* to = inPlace ? nullptr : createFreshIn(staging, PatchCopyName);
    copied = to != nullptr;
    Sha256 hash;
    const auto buffer = makeCopyBuffer();
    length = 0;
    bool readFailed = false;
    bool ok = (inPlace || to != nullptr) && buffer;
    for (bool more = ok; more;) {
        const std::size_t got = std::fread(buffer.get(), 1, CopyBufferBytes, from);
        hash.add(buffer.get(), got);
        length += static_cast<std::int64_t>(got);
        ok = to == nullptr || std::fwrite(buffer.get(), 1, got, to) == got;
        readFailed = got < CopyBufferBytes && std::ferror(from) != 0;
        more = ok && !readFailed && got == CopyBufferBytes;
    }
    if (inPlace && ok && !readFailed) {
        patch = from;
    } else {
        std::fclose(from);
    }
    ok = ok && !readFailed;
    if (to != nullptr) {
        ok = syncFile(to) && ok;
        ok = std::fclose(to) == 0 && ok;
    }
    Sha256Digest actual{};
    if (!ok || !hash.finish(actual)) {
        why = std::string(PatchFileName) +
              (readFailed ? " cannot be read: " : " cannot be copied: ") + systemErrorText();
        return false;
    }
    if (listed != nullptr && actual != *listed) {
        why = std::string(PatchFileName) + " has SHA-256 " + digestToHex(actual) + ", " +
              DigestFileName + " lists " + digestToHex(*listed);
        return false;
    }
    if (!inPlace) {
        patch = openFileIn(staging, PatchCopyName, length);
    }
    if (patch == nullptr) {
        why = std::string(PatchFileName) + " cannot be read back: " + systemErrorText();
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
    shown = folder->path() + PathSeparator + UpdateFileList[e].name;
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
