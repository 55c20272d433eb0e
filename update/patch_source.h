// "update.patch" as an update applies it: copied into the staging folder through
// one handle and hashed as it is read, and believed only once that copy matches its
// digest line and one of its sets fits the installed version and finds every
// installed file it was made against. Its table and entries come from the copy,
// which no other account can change. Then each entry's new contents are made from
// the installed file, hashed as they are written.
//
// A file the patch makes from the installed one is read once: where one set alone
// fits the version, the checks take such a file's size, and the SHA-256 of what is
// made of it stands for its own (a different base cannot make the listed result).
// Only when that fails is the installed file hashed, to tell a file that is not
// the one the patch was made against from a corrupt patch.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update/copy_bytes.h"
#include "update/install_folders.h"
#include "update/patch_file.h"

enum class PatchFit {
    Fits,
    Bad,          // the patch is cut, corrupt or not what the digest file lists
    Incompatible, // made for other versions than the record's
    BaseDiffers,  // an installed file is not the one the patch's set for the record's
                  // version was made against
};

class PatchSource {
  public:
    PatchSource() = default;
    ~PatchSource();
    PatchSource(const PatchSource&) = delete;
    PatchSource& operator=(const PatchSource&) = delete;

    // Copies "update.patch" from updateFolder into folders' staging folder (where
    // that is not open, as in a dry run, it is read where it lies, through one
    // handle) and checks the copy against listed (its digest line, when there is
    // one), then looks for the first set made for recordVersion (the record's
    // "Version" as stored) whose files are those installed in folders; problem()
    // says why when it is not Fits. The installed files are read through folders
    // from then on, which must outlive the source.
    PatchFit open(InstallFolders& folders, const Folder& updateFolder, const char* recordVersion,
                  const Sha256Digest* listed);
    // Lets the copy go.
    void close();

    const std::string& problem() const { return why; }
    std::int64_t patchBytes() const { return length; }
    // What the chosen set was made for, as "3.69" or "3.69, 3.70"; before a set is
    // chosen, what every set was made for.
    std::string baseVersions() const;
    // Whether entry e has nothing to write: unchanged, or a pics.cfg left as it is.
    bool nothingToWrite(int e) const;
    // Hashes the installed files open() only measured: what a run that writes
    // nothing does to tell whether the update would find them all. BaseDiffers,
    // with problem() naming the file, where one is not its base.
    PatchFit checkMeasuredBases();
    std::uint64_t resultSize(int e) const { return chosen ? chosen->entries[e].resultSize : 0; }

    // Entry e's new contents to target (null: made and hashed, written nowhere).
    // SourceShort when the patch's bytes are not what its table promises, or
    // (baseDiffers() then set) the installed file is not the one it was made
    // against; WriteFailed, with problem() saying so, when the target cannot be
    // written or the installed file read.
    CopyResult stageEntry(int e, File* target);
    bool baseDiffers() const { return differs; }

  private:
    PatchFit fail(PatchFit fit, std::string problem);
    bool copyIn(const Folder& updateFolder, const Sha256Digest* listed);
    PatchFit chooseSet(const char* recordVersion);
    // Whether every installed file is set's base but a player's own pics.cfg (a
    // file the set patches only by its size, where measureDeltas); the first that
    // is not in problem.
    bool basesMatch(const PatchSet& set, std::string& problem, bool measureDeltas);
    // Whether entry e's installed file is its base: its size and, unless sizeOnly,
    // its SHA-256, each read once whichever sets ask. False also when it cannot be
    // read.
    bool installedIs(int e, const PatchEntry& entry, std::string& problem, bool sizeOnly = false);
    // Entry e's installed file, read-only; not open with the reason in name's words.
    File openBase(int e, std::string& shown);
    // Entry e's installed file as the log names it.
    std::string shownName(int e) const;

    struct Installed {
        bool looked = false;
        bool readFailed = false;
        std::int64_t size = -1;
        std::optional<Sha256Digest> digest;
    };

    File patch;
    std::int64_t length = 0;
    std::optional<PatchTable> table;
    const PatchSet* chosen = nullptr;
    Installed installedFiles[UpdateFileCount];
    InstallFolders* installed = nullptr;
    bool copied = false;
    bool leftAsItIs[UpdateFileCount] = {};
    // Entries whose installed file was measured but not hashed.
    bool measuredOnly[UpdateFileCount] = {};
    bool differs = false;
    PatchWorkspace workspace;
    std::string why;
};
