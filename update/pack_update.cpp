#include "update/pack_update.h"
#include "update/package.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/sha256.h"
#include "update/digest.h"
#include "update/file_list.h"
#include "update/pack_files.h"
#include "update/patch_file.h"

namespace {

bool measure(const char* name, std::uint32_t& count) {
    std::FILE* file = openFile(name, "rb");
    if (file == nullptr) {
        return false;
    }
    const bool ended = seekFile(file, 0, SEEK_END);
    const std::int64_t length = ended ? tellFile(file) : -1;
    std::fclose(file);
    // An empty source is taken for one not yet written out: packing stops rather
    // than ship an empty file in its place.
    if (length <= 0 || length > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    count = static_cast<std::uint32_t>(length);
    return true;
}

// Exactly count bytes, and nothing after them: a source that changed size since it
// was measured would put every later entry at the wrong offset.
bool appendSource(std::FILE* package, const char* name, std::uint32_t count, unsigned char* buffer,
                  Sha256& hash) {
    std::FILE* source = openFile(name, "rb");
    if (source == nullptr) {
        return false;
    }
    adviseSequential(source);
    bool ok = copyBytes(source, package, count, buffer, &hash) == CopyResult::Done;
    if (ok && std::fgetc(source) != EOF) {
        ok = false;
    }
    std::fclose(source);
    return ok;
}

bool writePackage(std::FILE* package, const std::uint32_t (&counts)[UpdateFileCount],
                  Sha256Digest& digest) {
    unsigned char table[PackageTableBytes];
    for (int i = 0; i < UpdateFileCount; ++i) {
        for (int b = 0; b < 4; ++b) {
            table[4 * i + b] = static_cast<unsigned char>(counts[i] >> (8 * b));
        }
    }
    if (std::fwrite(table, sizeof table, 1, package) != 1) {
        return false;
    }
    Sha256 hash;
    hash.add(table, sizeof table);
    auto buffer = makeCopyBuffer();
    if (!buffer) {
        return false;
    }
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (!isReadmeEntry(i) &&
            !appendSource(package, UpdateFileList[i].name, counts[i], buffer.get(), hash)) {
            return false;
        }
    }
    return hash.finish(digest) && syncFile(package);
}

// "readme_*.txt" in the current folder, whatever the case of its letters.
bool isReadmeName(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.size() > 11 && lower.starts_with("readme_") && lower.ends_with(".txt");
}

// The package's line (and the patch's), then one for each readme beside it: what an
// update installs.
bool writeDigestFile(const char* path, const std::string& release, const Sha256Digest& digest,
                     const std::optional<Sha256Digest>& patchDigest,
                     const std::vector<PatchBase>& patchBases) {
    std::string text = release.empty() ? "" : releaseLine(release);
    if (patchDigest) {
        std::vector<std::vector<std::string>> versions;
        for (const PatchBase& base : patchBases) {
            versions.push_back(base.versions);
        }
        text += patchVersionsLine(versions);
    }
    text += digestLine(PackageFileName, digest);
    if (patchDigest) {
        text += digestLine(PatchFileName, *patchDigest);
    }
    std::error_code error;
    std::vector<std::string> readmes;
    for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
        const std::string name = fromFsPath(entry.path().filename());
        if (isReadmeName(name) && entry.is_regular_file(error)) {
            readmes.push_back(name);
        }
    }
    std::sort(readmes.begin(), readmes.end());
    for (const std::string& readme : readmes) {
        const auto readmeDigest = digestOfFile(readme.c_str());
        if (!readmeDigest) {
            return false;
        }
        text += digestLine(readme, *readmeDigest);
    }
    std::FILE* file = createFresh(path);
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = syncFile(file) && ok;
    return std::fclose(file) == 0 && ok;
}

} // namespace

bool packUpdate(const PatchPackOptions& patch, const std::string& release) {
    std::uint32_t counts[UpdateFileCount] = {};
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (!isReadmeEntry(i) && !measure(UpdateFileList[i].name, counts[i])) {
            return false;
        }
    }

    const std::string temporary = temporaryPathFor(PackageFileName);
    const std::string temporaryDigest = temporaryPathFor(DigestFileName);
    std::FILE* package = createFresh(temporary.c_str());
    if (package == nullptr) {
        return false;
    }
    Sha256Digest digest{};
    const bool written = writePackage(package, counts, digest);
    const bool closed = std::fclose(package) == 0;
    const std::string temporaryPatch = temporaryPathFor(PatchFileName);
    const bool withPatch = !patch.bases.empty();
    std::optional<Sha256Digest> patchDigest;
    bool patched = true;
    if (written && closed && withPatch) {
        patched = packPatch(patch, temporaryPatch.c_str());
        patchDigest = patched ? digestOfFile(temporaryPatch.c_str()) : std::nullopt;
        patched = patched && patchDigest.has_value();
    }
    if (!written || !closed || !patched ||
        !writeDigestFile(temporaryDigest.c_str(), release, digest, patchDigest, patch.bases)) {
        removeQuietly(temporary.c_str());
        removeQuietly(temporaryDigest.c_str());
        removeQuietly(temporaryPatch.c_str());
        return false;
    }

    // The old digest and its signature go first: a package without a digest file is
    // still used where no signature is asked for, a package beside the digest of
    // another is refused. The publisher signs the new digest file after packing.
    // A patch of an earlier packing would not be listed: it goes too.
    removeQuietly(SignatureFileName);
    removeQuietly(DigestFileName);
    removeQuietly(PatchFileName);
    if (!replaceWith(temporary.c_str(), PackageFileName) ||
        (withPatch && !replaceWith(temporaryPatch.c_str(), PatchFileName)) ||
        !replaceWith(temporaryDigest.c_str(), DigestFileName)) {
        removeQuietly(temporary.c_str());
        removeQuietly(temporaryDigest.c_str());
        removeQuietly(temporaryPatch.c_str());
        return false;
    }
    return true;
}
