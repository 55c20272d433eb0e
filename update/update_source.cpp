#include "update/update_source.h"

#include <algorithm>
#include <iterator>

#include "platform/file_io.h"
#include "platform/signature.h"
#include "update/file_ops.h"
#include "update/package.h"

namespace {

// Far beyond a line per file of an update, and beyond any DER signature of P-256.
constexpr std::size_t MaxDigestFileBytes = 64 * 1024;
constexpr std::size_t MaxSignatureBytes = 1024;

// The whole of a small file, read once; nothing when it is missing or too large.
std::optional<std::string> readSmall(const Folder& folder, const Name& name, std::size_t limit) {
    std::string text;
    if (!readSmallFile(folder, name, static_cast<std::int64_t>(limit), text, Source::Untrusted)) {
        return std::nullopt;
    }
    return text;
}

std::string mismatch(const std::string& name, const Sha256Digest& actual,
                     const Sha256Digest& listed) {
    return name + " has SHA-256 " + digestToHex(actual) + ", " + DigestFileName + " lists " +
           digestToHex(listed);
}

} // namespace

UpdateSource::~UpdateSource() {
    close();
}

void UpdateSource::close() {
    package.close();
    readmeFile.close();
}

// Held from the checks on: what is copied is what was measured, whatever is
// renamed over the name or written into the file later.
bool UpdateSource::openReadme() {
    readmeFile = openFileIn(*updateFolder, *readme, -1, Source::Untrusted);
    readmeLength =
        readmeFile.isOpen() && readmeFile.seek(0, File::From::End) ? readmeFile.tell() : -1;
    if (readmeLength < 0) {
        return fail(readmeName + " cannot be opened: " + systemErrorText());
    }
    return true;
}

bool UpdateSource::fail(std::string problem) {
    why = std::move(problem);
    close();
    return false;
}

void UpdateSource::startOver(const Folder& folder, const Name& readmeFileName,
                             const char* listedPackage, bool full) {
    close();
    updateFolder = &folder;
    readme = readmeFileName;
    why.clear();
    signedBy = nullptr;
    digests.reset();
    readmeDigest.reset();
    readmeName = readmeFileName.str();
    listedPackageName = listedPackage;
    fullPackage = full;
    length = 0;
    buffer = makeCopyBuffer();
}

bool UpdateSource::openWithout(const Folder& folder, const Name& readmeFileName,
                               std::span<const PublisherKey> keys, const char* listedPackage,
                               const std::string& release) {
    startOver(folder, readmeFileName, listedPackage, false);
    if (!buffer) {
        return fail("out of memory");
    }
    return openReadme() && readDigestFile(keys, release);
}

const Sha256Digest* UpdateSource::listedDigest(const char* name) const {
    if (!digests) {
        return nullptr;
    }
    const auto line = digests->find(name);
    return line == digests->end() ? nullptr : &line->second;
}

bool UpdateSource::open(const Folder& folder, const Name& readmeFileName,
                        std::span<const PublisherKey> keys, const std::string& release) {
    startOver(folder, readmeFileName, PackageFileName, true);
    package = openFileIn(folder, PackageFile, -1, Source::Untrusted);
    if (!package.isOpen() || !buffer) {
        return fail(std::string(PackageFileName) + " cannot be opened: " + systemErrorText());
    }
    package.adviseSequential();
    unsigned char table[PackageTableBytes];
    const bool read = package.read(table, sizeof table) == sizeof table;
    length = package.seek(0, File::From::End) ? package.tell() : -1;
    if (!read || length < 0 || !package.seek(PackageTableBytes)) {
        return fail(std::string(PackageFileName) + " is shorter than its table");
    }
    readAt = PackageTableBytes;
    std::string problem;
    const std::optional<PackageTable> sizes = readPackageTable(table, length, problem);
    if (!sizes) {
        return fail(std::string(PackageFileName) + " " + problem);
    }
    std::copy(std::begin(sizes->counts), std::end(sizes->counts), counts);
    std::copy(std::begin(sizes->offsets), std::end(sizes->offsets), offsets);
    const Sha256 fresh;
    hash.copyFrom(fresh);
    hash.add(table, sizeof table);
    afterTable.copyFrom(hash);
    hashed = PackageTableBytes;
    entryStartAt = -1;
    return openReadme() && readDigestFile(keys, release);
}

bool UpdateSource::readDigestFile(std::span<const PublisherKey> keys, const std::string& release) {
    const std::string digestFile = DigestFileName;
    const std::optional<std::string> text =
        readSmall(*updateFolder, DigestFile, MaxDigestFileBytes);
    if (!text) {
        const SystemErrorKept kept;
        if (entryIn(*updateFolder, DigestFile) != EntryKind::None) {
            return fail(digestFile + " cannot be read: " + systemErrorText());
        }
        if (!keys.empty()) {
            return fail(digestFile + " is missing; this program installs only signed updates");
        }
        return true;
    }
    if (!keys.empty()) {
        const std::optional<std::string> signature =
            readSmall(*updateFolder, SignatureFile, MaxSignatureBytes);
        if (!signature) {
            return fail(std::string(SignatureFileName) +
                        " is missing; this program installs only signed updates");
        }
        for (const PublisherKey& key : keys) {
            if (verifyP256Signature(key.point, text->data(), text->size(),
                                    reinterpret_cast<const unsigned char*>(signature->data()),
                                    signature->size())) {
                signedBy = &key;
                break;
            }
        }
        if (signedBy == nullptr) {
            return fail(std::string(SignatureFileName) + " is no signature of " + digestFile +
                        " by a publisher key of this program");
        }
    }
    // An earlier release's files, signed in their day, must not come in under this one's name.
    const std::optional<std::string> named = releaseOf(*text);
    if (named && *named != release) {
        return fail(digestFile + " is for the release \"" + *named + "\", not \"" + release + "\"");
    }
    if (!named && !keys.empty()) {
        return fail(digestFile +
                    " names no release; this program installs only updates signed for \"" +
                    release + "\"");
    }
    digests = parseDigestFile(*text);
    if (!digests) {
        return fail(digestFile + " is not a list of SHA-256 lines");
    }
    if (digests->count(listedPackageName) == 0) {
        return fail(digestFile + " has no line for " + listedPackageName);
    }
    if (!keys.empty() && digests->count(readmeName) == 0) {
        return fail(digestFile + " has no line for " + readmeName);
    }
    return true;
}

CopyResult UpdateSource::stageEntry(int entry, File* target) {
    const std::int64_t offset = offsets[entry];
    if (offset == hashed) {
        entryStart.copyFrom(hash);
        entryStartAt = offset;
    } else if (offset == entryStartAt) {
        hash.copyFrom(entryStart);
    } else if (offset == PackageTableBytes) {
        hash.copyFrom(afterTable);
    } else {
        why = std::string(PackageFileName) + " was not read in order";
        return CopyResult::SourceShort;
    }
    hashed = offset;
    if (!package.isOpen() || (readAt != offset && !package.seek(offset))) {
        why = std::string(PackageFileName) + " cannot be read: " + systemErrorText();
        return CopyResult::SourceShort;
    }
    readAt = offset;
    CopyResult result = CopyResult::Done;
    for (std::uint64_t left = counts[entry]; left > 0;) {
        const std::size_t chunk =
            left < CopyBufferBytes ? static_cast<std::size_t>(left) : CopyBufferBytes;
        const std::size_t got = package.read(buffer.get(), chunk);
        readAt += static_cast<std::int64_t>(got);
        if (got != chunk) {
            why = std::string(PackageFileName) + " ends inside entry " + UpdateFileList[entry].name;
            return CopyResult::SourceShort;
        }
        // Without a digest file there is nothing to compare with: no hashing.
        if (digests) {
            hash.add(buffer.get(), chunk);
        }
        hashed += static_cast<std::int64_t>(chunk);
        if (target != nullptr && result == CopyResult::Done &&
            !target->write(buffer.get(), chunk)) {
            result = CopyResult::WriteFailed;
        }
        left -= chunk;
    }
    return result;
}

bool UpdateSource::copyReadme(const PrivateFolder& folder, const Name& name, std::uint64_t& size,
                              bool& sourceBad) {
    size = 0;
    sourceBad = true;
    readmeDigest.reset();
    if (!readmeFile.isOpen() || !buffer || !readmeFile.seek(0)) {
        why = readmeName + " cannot be read: " + systemErrorText();
        return false;
    }
    File to = createFreshIn(folder, name);
    sourceBad = false;
    Sha256 readmeHash;
    bool ok = to.isOpen();
    for (auto left = static_cast<std::uint64_t>(readmeLength); ok && left > 0;) {
        const std::size_t chunk =
            left < CopyBufferBytes ? static_cast<std::size_t>(left) : CopyBufferBytes;
        const std::size_t got = readmeFile.read(buffer.get(), chunk);
        readmeHash.add(buffer.get(), got);
        size += got;
        left -= got;
        ok = got == chunk && to.write(buffer.get(), got);
        sourceBad = got != chunk;
    }
    // Grown since it was measured: its owner wrote on, and a file that grows
    // without end would fill the game's disk.
    unsigned char beyond = 0;
    if (ok && readmeFile.read(&beyond, 1) != 0) {
        sourceBad = true;
        ok = false;
    }
    if (to.isOpen()) {
        ok = to.close() && ok;
        if (!ok) {
            const SystemErrorKept kept;
            removeIn(folder, name);
        }
    }
    Sha256Digest digest{};
    if (ok && !readmeHash.finish(digest)) {
        sourceBad = true;
        ok = false;
    }
    if (!ok && sourceBad) {
        why = readmeName + " is no longer the " + std::to_string(readmeLength) +
              " bytes it was when checked";
    }
    if (ok) {
        readmeDigest = digest;
    }
    return ok;
}

bool UpdateSource::hashReadme() {
    readmeDigest.reset();
    const auto size = static_cast<std::uint64_t>(readmeLength);
    const std::optional<Sha256Digest> digest =
        readmeFile.isOpen() && readmeFile.seek(0) ? digestOfBytes(readmeFile, size) : std::nullopt;
    unsigned char beyond = 0;
    if (!digest || readmeFile.read(&beyond, 1) != 0) {
        why = readmeName + " is no longer the " + std::to_string(readmeLength) +
              " bytes it was when checked";
        return false;
    }
    readmeDigest = digest;
    return true;
}

bool UpdateSource::matchesDigests() {
    if (!digests) {
        return true;
    }
    if (fullPackage) {
        const Sha256Digest& listed = digests->at(PackageFileName);
        Sha256 copy;
        copy.copyFrom(hash);
        Sha256Digest actual{};
        if (hashed != length || !copy.finish(actual)) {
            why = std::string(PackageFileName) + " was not read to its end";
            return false;
        }
        if (actual != listed) {
            why = mismatch(PackageFileName, actual, listed);
            return false;
        }
    }
    const auto readmeLine = digests->find(readmeName);
    if (readmeLine != digests->end()) {
        if (!readmeDigest) {
            why = readmeName + " was not read";
            return false;
        }
        if (*readmeDigest != readmeLine->second) {
            why = mismatch(readmeName, *readmeDigest, readmeLine->second);
            return false;
        }
    }
    return true;
}
