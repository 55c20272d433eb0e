#include "update/file_ops.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/file_io.h"

namespace fs = std::filesystem;

std::FILE* createFresh(const char* path) {
    if (!removeEntry(path)) {
        return nullptr;
    }
    return createNewFile(path);
}

std::FILE* createFreshIn(const Folder& folder, const char* name) {
    if (!removeIn(folder, name)) {
        return nullptr;
    }
    return createFileIn(folder, name);
}

bool replaceWith(const char* source, const char* target) {
    std::error_code error;
    fs::rename(toFsPath(source), toFsPath(target), error);
    return !error;
}

bool readSmallFile(const Folder& folder, const char* name, std::int64_t maxBytes,
                   std::string& text) {
    text.clear();
    std::FILE* file = openFileIn(folder, name, maxBytes);
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
