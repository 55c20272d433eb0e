#include "update/file_ops.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/file_io.h"

namespace fs = std::filesystem;

bool makeWritable(const char* path) {
    std::error_code error;
    if (!fs::exists(toFsPath(path), error)) {
        return false;
    }
    fs::permissions(toFsPath(path), fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::add, error);
    return !error;
}

bool replaceWith(const char* source, const char* target) {
    std::error_code error;
    fs::rename(toFsPath(source), toFsPath(target), error);
    if (!error) {
        return true;
    }
    // Some systems refuse to rename over a read-only file. The target is only made
    // writable when that is what stands in the way, so a failure leaves it as it was.
    const fs::file_status status = fs::symlink_status(toFsPath(target), error);
    if (error || !fs::is_regular_file(status) ||
        (status.permissions() & fs::perms::owner_write) != fs::perms::none) {
        return false;
    }
    if (!makeWritable(target)) {
        return false;
    }
    fs::rename(toFsPath(source), toFsPath(target), error);
    if (error) {
        fs::permissions(toFsPath(target), fs::perms::owner_write, fs::perm_options::remove, error);
        return false;
    }
    return true;
}
