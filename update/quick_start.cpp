#include "update/quick_start.h"

#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace {

// "*.qst" as Windows matches it: any name whose extension is "qst" in any case.
bool isQuickStartName(const std::string& name) {
    return name.size() >= 4 && equalsIgnoreCase(name.c_str() + name.size() - 4, ".qst");
}

} // namespace

bool removeQuickStartFiles(const char* installPath, bool deleteThem) {
    if (installPath == nullptr) {
        return deleteThem;
    }
    // Held open, "qstart" is the folder that was there when it was opened: a link
    // is not the games', and one swapped in later leads nowhere.
    std::string why;
    const Folder game = openInstallFolder(installPath, why);
    const Folder folder = game.isOpen() ? openSubfolder(game, "qstart") : Folder();
    std::vector<std::string> names;
    if (folder.isOpen()) {
        listFolder(folder, names);
    }
    bool any = false;
    for (const std::string& name : names) {
        if (!isQuickStartName(name)) {
            continue;
        }
        // A link is removed as itself; a folder named like a game is no game.
        const EntryKind kind = entryIn(folder, name.c_str());
        if (kind == EntryKind::File || kind == EntryKind::Link) {
            any = true;
            if (deleteThem) {
                removeIn(folder, name.c_str());
            }
        }
    }
    return deleteThem || any;
}
