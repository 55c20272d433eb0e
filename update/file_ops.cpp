#include "update/file_ops.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/file_io.h"

namespace fs = std::filesystem;

bool makeWritable(const char* path) {
    return makeFileWritable(path);
}

std::FILE* createFresh(const char* path) {
    if (!removeEntry(path)) {
        return nullptr;
    }
    return createNewFile(path);
}

bool replaceWith(const char* source, const char* target) {
    std::error_code error;
    fs::rename(toFsPath(source), toFsPath(target), error);
    if (!error) {
        return true;
    }
    // Some systems refuse to rename over a read-only file. The target is only made
    // writable when that is what stands in the way, so a failure leaves it as it was.
    // Looking does not replace the rename's own error, which is what the log shows.
    std::error_code looked;
    const fs::file_status status = [&] {
        const SystemErrorKept kept;
        return fs::symlink_status(toFsPath(target), looked);
    }();
    if (looked || !fs::is_regular_file(status) ||
        (status.permissions() & fs::perms::owner_write) != fs::perms::none) {
        return false;
    }
    if (!makeWritable(target)) {
        return false;
    }
    fs::rename(toFsPath(source), toFsPath(target), error);
    if (error) {
        const SystemErrorKept kept;
        fs::permissions(toFsPath(target), fs::perms::owner_write,
                        fs::perm_options::remove | fs::perm_options::nofollow, error);
        return false;
    }
    return true;
}

bool readSmallFile(const char* path, std::int64_t maxBytes, std::string& text) {
    text.clear();
    std::FILE* file = openRegularFile(path, maxBytes);
    if (file == nullptr) {
        return false;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 &&
           text.size() + got <= static_cast<std::uint64_t>(maxBytes)) {
        text.append(buffer, got);
    }
    // A file that grew past the cap after it was opened is as unreadable as one
    // that was too long from the start.
    const bool whole = std::ferror(file) == 0 && got == 0;
    std::fclose(file);
    return whole;
}

bool standsAt(const char* path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(toFsPath(path), error));
}
