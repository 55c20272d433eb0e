#include "update/package_check.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/file_io.h"
#include "update/digest.h"
#include "update/package.h"

namespace {

bool readTable(PackageCheck& check, std::int64_t& length) {
    std::FILE* package = std::fopen(PackageFileName, "rb");
    if (package == nullptr) {
        check.problem = std::string(PackageFileName) + " cannot be opened: " + systemErrorText();
        return false;
    }
    unsigned char table[PackageTableBytes];
    const bool read = std::fread(table, sizeof table, 1, package) == 1;
    length = seekFile(package, 0, SEEK_END) ? tellFile(package) : -1;
    std::fclose(package);
    if (!read || length < 0) {
        check.problem = std::string(PackageFileName) + " is shorter than its table";
        return false;
    }
    for (int i = 0; i < UpdateFileCount; ++i) {
        check.counts[i] = packageTableCount(table, i);
    }
    return true;
}

} // namespace

PackageCheck checkPackage() {
    PackageCheck check;
    std::int64_t length = 0;
    if (!readTable(check, length)) {
        return check;
    }
    // Every count, the readme's included: its slot must be 0 for the sum to hold.
    std::uint64_t expected = PackageTableBytes;
    for (const std::uint32_t count : check.counts) {
        expected += count;
    }
    if (static_cast<std::uint64_t>(length) != expected) {
        check.problem = std::string(PackageFileName) + " is " + std::to_string(length) +
                        " bytes; its table makes it " + std::to_string(expected);
        return check;
    }

    std::ifstream sidecar(toFsPath(DigestFileName), std::ios::binary);
    if (sidecar) {
        const std::string text{std::istreambuf_iterator<char>(sidecar), {}};
        const auto listed = parseDigestFile(text);
        const auto wanted = listed && listed->count(PackageFileName) != 0
                                ? std::optional(listed->at(PackageFileName))
                                : std::nullopt;
        if (!wanted) {
            check.problem =
                std::string(DigestFileName) + " is not a SHA-256 line for " + PackageFileName;
            return check;
        }
        const auto actual = digestOfFile(PackageFileName);
        if (!actual) {
            check.problem = std::string(PackageFileName) + " cannot be read: " + systemErrorText();
            return check;
        }
        if (*actual != *wanted) {
            check.problem = std::string(PackageFileName) + " has SHA-256 " + digestToHex(*actual) +
                            ", " + DigestFileName + " says " + digestToHex(*wanted);
            return check;
        }
    }
    check.sound = true;
    return check;
}
