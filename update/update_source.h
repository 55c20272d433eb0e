// The update's sources as the wizard reads them: "update.dat" through one handle
// held from the check to the commit, every byte hashed as it is staged; the readme
// hashed as it is copied; and the digest file they must match, signed by a
// publisher's key where the program was built with any. What is installed is then
// exactly what was hashed, whatever happens to the files' names meanwhile.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/file_io.h"
#include "platform/sha256.h"
#include "update/copy_bytes.h"
#include "update/digest.h"
#include "update/file_list.h"
#include "update/publisher_keys.h"

class UpdateSource {
  public:
    UpdateSource() = default;
    ~UpdateSource();
    UpdateSource(const UpdateSource&) = delete;
    UpdateSource& operator=(const UpdateSource&) = delete;

    // The first step: opens "update.dat" in folder (the update folder, which must
    // outlive the source) and holds it, checks its table against its length, and
    // reads the digest file; with keys, the digest file must be signed by one of
    // them, name release as the one it installs, and list the package and readme
    // (in folder too). Without keys the digest file is optional, and where it names
    // a release, that must be release. False, with problem() saying which check
    // failed, when any fails.
    bool open(const Folder& folder, const Name& readme, std::span<const PublisherKey> keys,
              const std::string& release);
    // The same checks of the digest file and the readme for an update that takes
    // its files from listedPackage (the patch) instead of "update.dat": the digest
    // file, where there is one, must list listedPackage, and "update.dat" need not
    // be there.
    bool openWithout(const Folder& folder, const Name& readme, std::span<const PublisherKey> keys,
                     const char* listedPackage, const std::string& release);
    void close();
    // The digest file's line for name; null without a digest file.
    const Sha256Digest* listedDigest(const char* name) const;

    const std::string& problem() const { return why; }
    // The key that signed the digest file; null without keys.
    const PublisherKey* signer() const { return signedBy; }
    std::uint32_t count(int entry) const { return counts[entry]; }
    std::int64_t packageBytes() const { return length; }
    // The readme's size when it was opened: all of it that is ever copied.
    std::int64_t readmeBytes() const { return readmeLength; }

    // Entry's body (never the readme entry's) to target, hashed as it is read; a
    // null target only reads and hashes (a body not installed is still part of the
    // package's digest). After a write failure the rest of the body is still read.
    // Entries come in package order; the entry last begun may come again (a retry),
    // and the first entry starts everything over.
    CopyResult stageEntry(int entry, File* target);
    // The readme, through the handle opened by the checks, to name in folder (made
    // new), hashed as it is copied. False with sourceBad set when the readme cannot
    // be read or is no longer the size it was, clear when target cannot be written
    // (then no target is left).
    bool copyReadme(const PrivateFolder& folder, const Name& name, std::uint64_t& size,
                    bool& sourceBad);
    // The readme, hashed as copyReadme would and written nowhere. False when it can
    // no longer be read as it was measured.
    bool hashReadme();

    // The last check before anything moves: what was read matches the digest file.
    bool matchesDigests();

  private:
    bool fail(std::string problem);
    // Forgets what an earlier open found.
    void startOver(const Folder& folder, const Name& readme, const char* listedPackage, bool full);
    bool readDigestFile(std::span<const PublisherKey> keys, const std::string& release);

    bool openReadme();

    const Folder* updateFolder = nullptr;
    std::optional<Name> readme;
    File package;
    File readmeFile;
    std::int64_t readmeLength = -1;
    // Whether update.dat is what this update installs from.
    bool fullPackage = true;
    std::string listedPackageName;
    std::string readmeName;
    std::string why;
    const PublisherKey* signedBy = nullptr;
    std::uint32_t counts[UpdateFileCount] = {};
    std::int64_t offsets[UpdateFileCount] = {};
    std::int64_t length = 0;
    std::optional<DigestList> digests;
    std::unique_ptr<unsigned char[]> buffer;

    // hash holds the package's bytes 0 to hashed; entryStart the same up to the
    // entry last begun, afterTable up to the end of the table.
    Sha256 hash;
    Sha256 entryStart;
    Sha256 afterTable;
    std::int64_t hashed = 0;
    std::int64_t entryStartAt = -1;
    std::int64_t readAt = 0; // where the handle stands
    std::optional<Sha256Digest> readmeDigest;
};
