#include "update/package.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/file_io.h"
#include "update/copy_bytes.h"
#include "update/file_list.h"
#include "update/file_ops.h"

namespace {

// Positions package at the start of entry index and gives its count; false when the
// table or the entry's body is not wholly inside the package.
bool locateEntry(std::FILE* package, int index, std::uint64_t& count) {
    unsigned char table[PackageTableBytes];
    if (std::fread(table, sizeof table, 1, package) != 1) {
        return false;
    }
    std::uint64_t offset = PackageTableBytes;
    for (int i = 0; i < index; ++i) {
        if (!isReadmeEntry(i)) {
            offset += packageTableCount(table, i);
        }
    }
    count = packageTableCount(table, index);
    if (!seekFile(package, 0, SEEK_END)) {
        return false;
    }
    const std::int64_t length = tellFile(package);
    if (length < 0 || offset + count > static_cast<std::uint64_t>(length)) {
        return false;
    }
    return seekFile(package, static_cast<std::int64_t>(offset), SEEK_SET);
}

// Writes the entry to temporary; packageBad tells which side failed.
bool writeEntry(std::FILE* package, std::uint64_t count, const std::string& temporary,
                bool& packageBad) {
    packageBad = false;
    std::FILE* target = createFresh(temporary.c_str());
    if (target == nullptr) {
        return false;
    }
    auto buffer = makeCopyBuffer();
    bool ok = buffer != nullptr;
    if (ok) {
        switch (copyBytes(package, target, count, buffer.get())) {
        case CopyResult::Done:
            break;
        case CopyResult::SourceShort:
            packageBad = true;
            ok = false;
            break;
        case CopyResult::WriteFailed:
            ok = false;
            break;
        }
    }
    ok = std::fclose(target) == 0 && ok;
    return ok;
}

} // namespace

std::uint32_t packageTableCount(const unsigned char* table, int index) {
    const unsigned char* p = table + 4 * index;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool extractEntry(int index, const char* targetPath, bool& packageBad) {
    packageBad = false;
    if (index < 0 || index >= UpdateFileCount || targetPath == nullptr) {
        return false;
    }
    std::FILE* package = openFile(PackageFileName, "rb");
    if (package == nullptr) {
        packageBad = true;
        return false;
    }
    std::uint64_t count = 0;
    if (!locateEntry(package, index, count)) {
        std::fclose(package);
        packageBad = true;
        return false;
    }
    adviseSequential(package);

    const std::string temporary = temporaryPathFor(targetPath);
    const bool written = writeEntry(package, count, temporary, packageBad);
    std::fclose(package);
    if (!written) {
        removeQuietly(temporary.c_str());
        return false;
    }

    if (!replaceWith(temporary.c_str(), targetPath)) {
        removeQuietly(temporary.c_str());
        packageBad = false;
        return false;
    }
    return true;
}
