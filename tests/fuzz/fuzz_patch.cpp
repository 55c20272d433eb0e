// readPatchTable and applyPatchEntry over arbitrary patch files of either format.
// The table's own SHA-256 is set right before reading (where the input is long
// enough to hold one), so that the fuzzer reaches the checks behind it; every
// entry of every set the table accepts is then applied against a fixed base.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fixed_base.h"
#include "platform/path_io.h"
#include "platform/sha256.h"
#include "update/patch_file.h"

namespace {

// Where the table's digest stands, by the format's own layout (either format);
// 0 when the input is too short to say.
std::size_t digestOffset(const std::string& bytes) {
    if (bytes.size() <= 12) {
        return 0;
    }
    const bool first = bytes[8] == 1;
    std::size_t at = 12;
    const std::size_t sets = first ? 1 : static_cast<unsigned char>(bytes[at++]);
    for (std::size_t s = 0; s < sets; ++s) {
        if (bytes.size() <= at) {
            return 0;
        }
        const std::size_t versions = static_cast<unsigned char>(bytes[at++]);
        for (std::size_t v = 0; v < versions; ++v) {
            if (bytes.size() <= at) {
                return 0;
            }
            at += 1 + static_cast<unsigned char>(bytes[at]);
        }
        at += 1 + (UpdateFileCount - 1) * (first ? 97 : 105);
    }
    return at + 32 <= bytes.size() ? at : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (const std::size_t at = digestOffset(bytes); at != 0) {
        Sha256 hash;
        hash.add(bytes.data(), at);
        Sha256Digest digest{};
        hash.finish(digest);
        bytes.replace(at, digest.size(), reinterpret_cast<const char*>(digest.data()),
                      digest.size());
    }
    File patch = fileOf(fmemopen(bytes.data(), bytes.size() + (bytes.empty() ? 1 : 0), "rb"));
    if (!patch.isOpen()) {
        return 0;
    }
    std::string why;
    const auto table = readPatchTable(patch, static_cast<std::int64_t>(bytes.size()), why);
    if (!table && why.empty()) {
        std::abort();
    }
    if (table) {
        std::string baseBytes = fixedBase();
        File base = fileOf(fmemopen(baseBytes.data(), baseBytes.size(), "rb"));
        File out = openPath("/dev/null", "wb");
        for (const PatchSet& set : table->sets) {
            for (int i = 0; i < UpdateFileCount; ++i) {
                if (!isReadmeEntry(i)) {
                    bool readFailed = false;
                    baseMatches(set.entries[i], base, readFailed);
                    applyPatchEntry(patch, set.entries[i], &base, &out);
                }
            }
        }
    }
    return 0;
}
