#include "update/package.h"

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/file_io.h"
#include "update/copy_bytes.h"
#include "update/file_list.h"
#include "update/file_ops.h"

namespace {

bool measure(const char* name, std::uint32_t& count) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) {
        return false;
    }
    const bool ended = seekFile(file, 0, SEEK_END);
    const std::int64_t length = ended ? tellFile(file) : -1;
    std::fclose(file);
    if (length < 0 || length > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    count = static_cast<std::uint32_t>(length);
    return true;
}

// Exactly count bytes, and nothing after them: a source that changed size since it
// was measured would put every later entry at the wrong offset.
bool appendSource(std::FILE* package, const char* name, std::uint32_t count,
                  unsigned char* buffer) {
    std::FILE* source = std::fopen(name, "rb");
    if (source == nullptr) {
        return false;
    }
    adviseSequential(source);
    bool ok = copyBytes(source, package, count, buffer) == CopyResult::Done;
    if (ok && std::fgetc(source) != EOF) {
        ok = false;
    }
    std::fclose(source);
    return ok;
}

bool writePackage(std::FILE* package, const std::uint32_t (&counts)[UpdateFileCount]) {
    unsigned char table[PackageTableBytes];
    for (int i = 0; i < UpdateFileCount; ++i) {
        for (int b = 0; b < 4; ++b) {
            table[4 * i + b] = static_cast<unsigned char>(counts[i] >> (8 * b));
        }
    }
    if (std::fwrite(table, sizeof table, 1, package) != 1) {
        return false;
    }
    auto buffer = makeCopyBuffer();
    if (!buffer) {
        return false;
    }
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (!isReadmeEntry(i) &&
            !appendSource(package, UpdateFileList[i].name, counts[i], buffer.get())) {
            return false;
        }
    }
    return syncFile(package);
}

} // namespace

bool packUpdate() {
    std::uint32_t counts[UpdateFileCount] = {};
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (!isReadmeEntry(i) && !measure(UpdateFileList[i].name, counts[i])) {
            return false;
        }
    }

    const std::string temporary = temporaryPathFor(PackageFileName);
    std::FILE* package = std::fopen(temporary.c_str(), "wb");
    if (package == nullptr) {
        return false;
    }
    const bool written = writePackage(package, counts);
    const bool closed = std::fclose(package) == 0;
    if (!written || !closed) {
        removeQuietly(temporary.c_str());
        return false;
    }

    if (!replaceWith(temporary.c_str(), PackageFileName)) {
        removeQuietly(temporary.c_str());
        return false;
    }
    return true;
}
