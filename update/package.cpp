#include "update/package.h"

namespace {

std::uint32_t countOf(const unsigned char* table, int index) {
    const unsigned char* p = table + 4 * index;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

} // namespace

std::optional<PackageTable> readPackageTable(const unsigned char (&table)[PackageTableBytes],
                                             std::int64_t length, std::string& why) {
    PackageTable read;
    std::int64_t offset = PackageTableBytes;
    for (int i = 0; i < UpdateFileCount; ++i) {
        read.counts[i] = countOf(table, i);
        read.offsets[i] = offset;
        offset += read.counts[i];
        // The readme travels beside the package: a body for it would be read by
        // nothing, and shift every entry after it for a reader that skips it.
        if (isReadmeEntry(i) && read.counts[i] != 0) {
            why = "gives the readme entry a body";
            return std::nullopt;
        }
    }
    if (offset != length) {
        why =
            "is " + std::to_string(length) + " bytes; its table makes it " + std::to_string(offset);
        return std::nullopt;
    }
    return read;
}
