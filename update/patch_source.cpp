#include "update/patch_source.h"

#include <algorithm>

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

int picturesEntry() {
    static const int entry = [] {
        int found = -1;
        for (int e = 0; e < UpdateFileCount; ++e) {
            found = equalsIgnoreCase(UpdateFileList[e].name, "pics.cfg") ? e : found;
        }
        return found;
    }();
    return entry;
}

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
    chosen = nullptr;
    why.clear();
    installed = &folders;
    differs = false;
    for (int e = 0; e < UpdateFileCount; ++e) {
        installedFiles[e] = Installed{};
        leftAsItIs[e] = false;
        measuredOnly[e] = false;
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
    return chooseSet(recordVersion);
}

bool PatchSource::copyIn(const Folder& updateFolder, const Sha256Digest* listed) {
    const PrivateFolder& staging = installed->staging;
    // Nothing is written where there is no staging folder: the hashed handle is read on.
    const bool inPlace = !staging.isOpen();
    File from = openFileIn(updateFolder, PatchFile, -1, Source::Untrusted);
    if (!from.isOpen()) {
        why = std::string(PatchFileName) + " cannot be opened: " + systemErrorText();
        return false;
    }
    File to = inPlace ? File() : createFreshIn(staging, PatchCopyName);
    copied = to.isOpen();
    Sha256 hash;
    const auto buffer = makeCopyBuffer();
    length = 0;
    bool readFailed = false;
    bool ok = (inPlace || to.isOpen()) && buffer;
    for (bool more = ok; more;) {
        const std::size_t got = from.read(buffer.get(), CopyBufferBytes);
        hash.add(buffer.get(), got);
        length += static_cast<std::int64_t>(got);
        ok = !to.isOpen() || to.write(buffer.get(), got);
        readFailed = got < CopyBufferBytes && from.failed();
        more = ok && !readFailed && got == CopyBufferBytes;
    }
    ok = ok && !readFailed;
    if (inPlace && ok) {
        patch = std::move(from);
    } else {
        from.close();
    }
    // Only this run reads the copy, and a crash discards it: nothing to push to
    // the disk.
    if (to.isOpen()) {
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
    if (!inPlace) {
        patch = openFileIn(staging, PatchCopyName, length);
    }
    if (!patch.isOpen()) {
        why = std::string(PatchFileName) + " cannot be read back: " + systemErrorText();
        return false;
    }
    return true;
}

// The set made for the record's version whose every file is installed: a patch
// applied to anything else would make a file nobody shipped. A set that finds all
// but a player's own pics.cfg serves only where none finds all.
PatchFit PatchSource::chooseSet(const char* recordVersion) {
    const PatchSet* allButPictures = nullptr;
    std::string firstProblem;
    const auto fitting =
        std::count_if(table->sets.begin(), table->sets.end(),
                      [&](const PatchSet& set) { return set.fits(recordVersion); });
    for (const PatchSet& set : table->sets) {
        if (!set.fits(recordVersion)) {
            continue;
        }
        std::string problem;
        // Sets for the same version are told apart by every file's SHA-256.
        if (!basesMatch(set, problem, fitting == 1)) {
            firstProblem = firstProblem.empty() ? problem : firstProblem;
            continue;
        }
        const int pictures = picturesEntry();
        if (installedIs(pictures, set.entries[pictures], problem)) {
            chosen = &set;
            break;
        }
        allButPictures = allButPictures ? allButPictures : &set;
    }
    if (fitting == 0) {
        const std::string number = versionNumberOf(recordVersion);
        return fail(PatchFit::Incompatible, "it was made for version " + baseVersions() +
                                                ", the record says " +
                                                (number.empty() ? "no version" : number));
    }
    if (chosen == nullptr && allButPictures != nullptr) {
        // A player's own pictures list stays theirs, as when it cannot be written.
        chosen = allButPictures;
        const int pictures = picturesEntry();
        std::string problem;
        installedIs(pictures, chosen->entries[pictures], problem);
        runLog("%s; the update goes on without it", problem.c_str());
        leftAsItIs[pictures] = true;
    }
    if (chosen == nullptr) {
        return fail(PatchFit::BaseDiffers, firstProblem);
    }
    // The decoder's memory at once for the largest delta, rather than again for
    // each larger one: fresh pages cost more than the decoding.
    std::uint64_t window = 0;
    std::uint64_t base = 0;
    for (const PatchEntry& entry : chosen->entries) {
        if (entry.kind == PatchKind::Delta) {
            window = std::max(window, entry.resultSize);
            base = std::max(base, entry.baseSize);
        }
    }
    workspace.decoder.reserve(window, base);
    return PatchFit::Fits;
}

bool PatchSource::basesMatch(const PatchSet& set, std::string& problem, bool measureDeltas) {
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (isReadmeEntry(e) || e == picturesEntry()) {
            continue;
        }
        measuredOnly[e] = measureDeltas && set.entries[e].kind == PatchKind::Delta;
        if (!installedIs(e, set.entries[e], problem, measuredOnly[e])) {
            return false;
        }
    }
    return true;
}

PatchFit PatchSource::checkMeasuredBases() {
    for (int e = 0; chosen != nullptr && e < UpdateFileCount; ++e) {
        if (measuredOnly[e] && !installedIs(e, chosen->entries[e], why)) {
            return PatchFit::BaseDiffers;
        }
    }
    return chosen != nullptr ? PatchFit::Fits : PatchFit::Bad;
}

bool PatchSource::installedIs(int e, const PatchEntry& entry, std::string& problem, bool sizeOnly) {
    Installed& file = installedFiles[e];
    std::string path;
    File base;
    // Sizes first: a file is hashed only for a set it may be the base of.
    if (!file.looked) {
        file.looked = true;
        base = openBase(e, path);
        file.readFailed = !base.isOpen() || !base.seek(0, File::From::End);
        file.size = file.readFailed ? -1 : base.tell();
        file.readFailed = file.readFailed || file.size < 0;
    }
    const bool sized = !file.readFailed && static_cast<std::uint64_t>(file.size) == entry.baseSize;
    if (sized && !sizeOnly && !file.digest) {
        if (!base.isOpen()) {
            base = openBase(e, path);
        }
        file.digest =
            base.isOpen() && base.seek(0) ? digestOfBytes(base, entry.baseSize) : std::nullopt;
        file.readFailed = !file.digest;
    }
    base.close();
    if (sized && !file.readFailed && (sizeOnly || file.digest == entry.baseDigest)) {
        return true;
    }
    problem = shownName(e) + (file.readFailed ? " cannot be read"
                                              : " is not the file this patch was made against");
    return false;
}

std::string PatchSource::shownName(int e) const {
    const Folder* folder = installed->folderOf(e);
    return folder == nullptr ? UpdateFileList[e].name
                             : folder->path() + PathSeparator + UpdateFileList[e].name;
}

File PatchSource::openBase(int e, std::string& shown) {
    shown = shownName(e);
    const Folder* folder = installed->folderOf(e);
    return folder == nullptr ? File() : openFileIn(*folder, UpdateFileList[e].file);
}

std::string PatchSource::baseVersions() const {
    std::string text;
    if (table) {
        for (const PatchSet& set : table->sets) {
            if (chosen != nullptr && chosen != &set) {
                continue;
            }
            for (const std::string& version : set.versions) {
                text += (text.empty() ? "" : ", ") + version;
            }
        }
    }
    return text;
}

bool PatchSource::nothingToWrite(int e) const {
    return !chosen || leftAsItIs[e] || chosen->entries[e].kind == PatchKind::Unchanged;
}

CopyResult PatchSource::stageEntry(int e, File* target) {
    const PatchEntry& entry = chosen->entries[e];
    File base;
    if (entry.kind == PatchKind::Delta) {
        std::string path;
        base = openBase(e, path);
        if (!base.isOpen()) {
            why = path + " cannot be read: " + systemErrorText();
            return CopyResult::WriteFailed;
        }
        base.adviseSequential();
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
        // Only now is it worth reading the installed file a second time.
        if (measuredOnly[e]) {
            measuredOnly[e] = false;
            std::string problem;
            differs = !installedIs(e, entry, problem);
            why = differs ? problem : why;
        }
        return CopyResult::SourceShort;
    default:
        why = std::string(UpdateFileList[e].name) + ": " + result.message;
        return CopyResult::WriteFailed;
    }
}
