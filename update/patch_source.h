// "update.patch" as an update applies it: copied into the staging folder through
// one handle and hashed as it is read, and believed only once that copy matches its
// digest line, fits the installed version and finds every installed file it was
// made against. Its table and entries come from the copy, which no other account
// can change. Then each entry's new contents are made from the installed file,
// hashed as they are written.
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
    BaseDiffers,  // an installed file is not the one the patch was made against
};

class PatchSource {
  public:
    PatchSource() = default;
    ~PatchSource();
    PatchSource(const PatchSource&) = delete;
    PatchSource& operator=(const PatchSource&) = delete;

    // Copies "update.patch" from updateFolder into folders' staging folder
    // (open) and checks the copy against listed (its digest line, when there is
    // one), recordVersion (the record's "Version" as stored) and every installed
    // file in folders, in that order; problem() says why when it is not Fits. The
    // installed files are read through folders from then on, which must outlive
    // the source.
    PatchFit open(InstallFolders& folders, const Folder& updateFolder, const char* recordVersion,
                  const Sha256Digest* listed);
    // Lets the copy go.
    void close();

    const std::string& problem() const { return why; }
    std::int64_t patchBytes() const { return length; }
    // What the patch was made for, as "3.69" or "3.69, 3.70".
    std::string baseVersions() const;
    // Whether entry e has nothing to write: unchanged, or a pics.cfg left as it is.
    bool nothingToWrite(int e) const;
    std::uint64_t resultSize(int e) const { return table ? table->entries[e].resultSize : 0; }

    // Entry e's new contents to target. SourceShort when the patch's bytes are not
    // what its table promises; WriteFailed, with problem() saying so, when the
    // target cannot be written or the installed file read.
    CopyResult stageEntry(int e, File& target);

  private:
    PatchFit fail(PatchFit fit, std::string problem);
    bool copyIn(const Folder& updateFolder, const Sha256Digest* listed);
    PatchFit checkBases();
    // Entry e's installed file, read-only; not open with the reason in name's words.
    File openBase(int e, std::string& shown);

    File patch;
    std::int64_t length = 0;
    std::optional<PatchTable> table;
    InstallFolders* installed = nullptr;
    bool copied = false;
    bool leftAsItIs[UpdateFileCount] = {};
    PatchWorkspace workspace;
    std::string why;
};
