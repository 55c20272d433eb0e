#include "update/quick_start.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_io.h"
#include "update/file_ops.h"
#include "update/paths.h"

namespace fs = std::filesystem;

namespace {

// "*.qst" as Windows matches it: any name whose extension is "qst" in any case.
bool isQuickStartName(const std::string& name) {
    return name.size() >= 4 && equalsIgnoreCase(name.c_str() + name.size() - 4, ".qst");
}

std::vector<fs::path> findQuickStartFiles(const char* installPath) {
    std::vector<fs::path> found;
    char folder[1024];
    if (!joinPath(folder, sizeof folder, installPath, "qstart")) {
        return found;
    }
    // A linked "qstart" leads out of the installation: nothing there is the game's.
    if (isLink(folder)) {
        return found;
    }
    std::error_code error;
    fs::directory_iterator entries(toFsPath(folder), error);
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const fs::file_status status = entries->symlink_status(error);
        if (error) {
            break;
        }
        if (!fs::is_directory(status) && isQuickStartName(fromFsPath(entries->path().filename()))) {
            found.push_back(entries->path());
        }
    }
    return found;
}

} // namespace

bool removeQuickStartFiles(const char* installPath, bool deleteThem) {
    if (installPath == nullptr) {
        return deleteThem;
    }
    const std::vector<fs::path> found = findQuickStartFiles(installPath);
    if (!deleteThem) {
        return !found.empty();
    }
    for (const fs::path& file : found) {
        // A link is removed as itself; its target's permissions are never touched.
        const std::string name = fromFsPath(file);
        makeWritable(name.c_str());
        removeEntry(name.c_str());
    }
    return true;
}
