#include "update/file_ops.h"

File createFreshIn(const PrivateFolder& folder, const Name& name) {
    if (const Status removed = removeIn(folder, name); !removed) {
        return File();
    }
    return createFileIn(folder, name);
}

bool readSmallFile(const Folder& folder, const Name& name, std::int64_t maxBytes, std::string& text,
                   Source source) {
    text.clear();
    File file = openFileIn(folder, name, maxBytes, source);
    if (!file.isOpen()) {
        return false;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = file.read(buffer, sizeof buffer)) > 0 &&
           text.size() + got <= static_cast<std::uint64_t>(maxBytes)) {
        text.append(buffer, got);
    }
    // A file that grew past the cap after it was opened is as unreadable as one
    // that was too long from the start.
    return !file.failed() && got == 0;
}
