#include "update/patch_source.h"

#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/run_log.h"
#include "update/digest.h"
#include "update/file_ops.h"
#include "update/install_folders.h"

PatchSource::~PatchSource() {
    close();
}

namespace {

// The copy's name in the staging folder.
constexpr Name PatchCopyName = "update.patch";

} // namespace

void PatchSource::close() {
    patch.close();
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

PatchFit PatchSource::open(InstallFolders& folders, const Folder& updateFolder,
                           const char* recordVersion, const Sha256Digest* listed) {
    close();
    table.reset();
    why.clear();
    installed = &folders;
    for (bool& left : leftAsItIs) {
        left = false;
    }
    // The whole file against its line first: nothing in it is believed before.
    if (!copyIn(updateFolder, listed)) {
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

bool PatchSource::copyIn(const Folder& updateFolder, const Sha256Digest* listed) {
    const PrivateFolder& staging = installed->staging;
    File from = openFileIn(updateFolder, PatchFile, -1, Source::Untrusted);
    if (!from.isOpen()) {
        why = std::string(PatchFileName) + " cannot be opened: " + systemErrorText();
        return false;
    }
    File to = createFreshIn(staging, PatchCopyName);
    copied = to.isOpen();
    Sha256 hash;
    const auto buffer = makeCopyBuffer();
    length = 0;
    bool readFailed = false;
    bool ok = to.isOpen() && buffer;
    for (bool more = ok; more;) {
        const std::size_t got = from.read(buffer.get(), CopyBufferBytes);
        hash.add(buffer.get(), got);
        length += static_cast<std::int64_t>(got);
        ok = to.write(buffer.get(), got);
        readFailed = got < CopyBufferBytes && from.failed();
        more = ok && !readFailed && got == CopyBufferBytes;
    }
    from.close();
    ok = ok && !readFailed;
    if (to.isOpen()) {
        ok = to.sync() && ok;
        ok = to.close() && ok;
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
    patch = openFileIn(staging, PatchCopyName, length);
    if (!patch.isOpen()) {
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
        File base = openBase(e, path);
        bool readFailed = !base.isOpen();
        const bool matches = base.isOpen() && baseMatches(table->entries[e], base, readFailed);
        base.close();
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

File PatchSource::openBase(int e, std::string& shown) {
    const Folder* folder = installed->folderOf(e);
    shown = UpdateFileList[e].name;
    if (folder == nullptr) {
        return File();
    }
    shown = folder->path() + PathSeparator + UpdateFileList[e].name;
    return openFileIn(*folder, UpdateFileList[e].file);
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

CopyResult PatchSource::stageEntry(int e, File& target) {
    const PatchEntry& entry = table->entries[e];
    File base;
    if (entry.kind == PatchKind::Delta) {
        std::string path;
        base = openBase(e, path);
        if (!base.isOpen()) {
            why = path + " cannot be read: " + systemErrorText();
            return CopyResult::WriteFailed;
        }
    }
    const PatchApplyResult result =
        applyPatchEntry(patch, entry, base.isOpen() ? &base : nullptr, target, workspace);
    base.close();
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
