#include "update/update_source.h"

#include <filesystem>

#include "platform/file_io.h"
#include "platform/signature.h"
#include "update/file_ops.h"
#include "update/package.h"

namespace {

// Far beyond a line per file of an update, and beyond any DER signature of P-256.
constexpr std::size_t MaxDigestFileBytes = 64 * 1024;
constexpr std::size_t MaxSignatureBytes = 1024;

// The whole of a small file, read once; nothing when it is missing or too large.
std::optional<std::string> readSmallFile(const char* path, std::size_t limit) {
    std::FILE* file = openLocked(path);
    if (file == nullptr) {
        return std::nullopt;
    }
    std::string text(limit + 1, '\0');
    const std::size_t got = std::fread(text.data(), 1, text.size(), file);
    const bool sound = std::ferror(file) == 0 && got <= limit;
    std::fclose(file);
    if (!sound) {
        return std::nullopt;
    }
    text.resize(got);
    return text;
}

bool exists(const char* path) {
    std::error_code error;
    return std::filesystem::exists(toFsPath(path), error);
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
    if (package != nullptr) {
        std::fclose(package);
        package = nullptr;
    }
    if (readmeFile != nullptr) {
        std::fclose(readmeFile);
        readmeFile = nullptr;
    }
}

// Held from the checks on: what is copied is what was measured, whatever is
// renamed over the name or written into the file later.
bool UpdateSource::openReadme() {
    readmeFile = openLocked(readmeName.c_str());
    readmeLength =
        readmeFile != nullptr && seekFile(readmeFile, 0, SEEK_END) ? tellFile(readmeFile) : -1;
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

void UpdateSource::startOver(const char* readme, const char* listedPackage, bool full) {
    close();
    why.clear();
    signedBy = nullptr;
    digests.reset();
    readmeDigest.reset();
    readmeName = readme;
    listedPackageName = listedPackage;
    fullPackage = full;
    length = 0;
    buffer = makeCopyBuffer();
}

bool UpdateSource::openWithout(const char* readme, std::span<const PublisherKey> keys,
                               const char* listedPackage, const std::string& release) {
    startOver(readme, listedPackage, false);
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

bool UpdateSource::open(const char* readme, std::span<const PublisherKey> keys,
                        const std::string& release) {
    startOver(readme, PackageFileName, true);
    package = openLocked(PackageFileName);
    if (package == nullptr || !buffer) {
        return fail(std::string(PackageFileName) + " cannot be opened: " + systemErrorText());
    }
    adviseSequential(package);
    unsigned char table[PackageTableBytes];
    const bool read = std::fread(table, sizeof table, 1, package) == 1;
    length = seekFile(package, 0, SEEK_END) ? tellFile(package) : -1;
    if (!read || length < 0 || !seekFile(package, PackageTableBytes, SEEK_SET)) {
        return fail(std::string(PackageFileName) + " is shorter than its table");
    }
    readAt = PackageTableBytes;
    std::int64_t offset = PackageTableBytes;
    for (int i = 0; i < UpdateFileCount; ++i) {
        counts[i] = packageTableCount(table, i);
        offsets[i] = offset;
        offset += counts[i];
    }
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i) && counts[i] != 0) {
            return fail(std::string(PackageFileName) + " gives the readme entry a body");
        }
    }
    if (offset != length) {
        return fail(std::string(PackageFileName) + " is " + std::to_string(length) +
                    " bytes; its table makes it " + std::to_string(offset));
    }
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
    const std::optional<std::string> text = readSmallFile(DigestFileName, MaxDigestFileBytes);
    if (!text) {
        if (exists(DigestFileName)) {
            return fail(digestFile + " cannot be read: " + systemErrorText());
        }
        if (!keys.empty()) {
            return fail(digestFile + " is missing; this program installs only signed updates");
        }
        return true;
    }
    if (!keys.empty()) {
        const std::optional<std::string> signature =
            readSmallFile(SignatureFileName, MaxSignatureBytes);
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

CopyResult UpdateSource::stageEntry(int entry, std::FILE* target) {
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
    if (package == nullptr || (readAt != offset && !seekFile(package, offset, SEEK_SET))) {
        why = std::string(PackageFileName) + " cannot be read: " + systemErrorText();
        return CopyResult::SourceShort;
    }
    readAt = offset;
    CopyResult result = CopyResult::Done;
    for (std::uint64_t left = counts[entry]; left > 0;) {
        const std::size_t chunk =
            left < CopyBufferBytes ? static_cast<std::size_t>(left) : CopyBufferBytes;
        const std::size_t got = std::fread(buffer.get(), 1, chunk, package);
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
            std::fwrite(buffer.get(), 1, chunk, target) != chunk) {
            result = CopyResult::WriteFailed;
        }
        left -= chunk;
    }
    return result;
}

bool UpdateSource::copyReadme(const Folder& folder, const char* name, std::uint64_t& size,
                              bool& sourceBad) {
    size = 0;
    sourceBad = true;
    readmeDigest.reset();
    if (readmeFile == nullptr || !buffer || !seekFile(readmeFile, 0, SEEK_SET)) {
        why = readmeName + " cannot be read: " + systemErrorText();
        return false;
    }
    std::FILE* to = createFreshIn(folder, name);
    sourceBad = false;
    Sha256 readmeHash;
    bool ok = to != nullptr;
    for (auto left = static_cast<std::uint64_t>(readmeLength); ok && left > 0;) {
        const std::size_t chunk =
            left < CopyBufferBytes ? static_cast<std::size_t>(left) : CopyBufferBytes;
        const std::size_t got = std::fread(buffer.get(), 1, chunk, readmeFile);
        readmeHash.add(buffer.get(), got);
        size += got;
        left -= got;
        ok = got == chunk && std::fwrite(buffer.get(), 1, got, to) == got;
        sourceBad = got != chunk;
    }
    // Grown since it was measured: its owner wrote on, and a file that grows
    // without end would fill the game's disk.
    if (ok && std::fgetc(readmeFile) != EOF) {
        sourceBad = true;
        ok = false;
    }
    if (to != nullptr) {
        ok = std::fclose(to) == 0 && ok;
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
        readmeFile != nullptr && seekFile(readmeFile, 0, SEEK_SET) ? digestOfBytes(readmeFile, size)
                                                                   : std::nullopt;
    if (!digest || std::fgetc(readmeFile) != EOF) {
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
