#include "update/quick_start.h"

#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace {

// "*.qst" as Windows matches it: any name whose extension is "qst" in any case.
bool isQuickStartName(const Name& name) {
    const std::string_view text = name.text();
    return text.size() >= 4 && equalsIgnoreCase(name.c_str() + text.size() - 4, ".qst");
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
    std::vector<Name> names;
    if (folder.isOpen()) {
        listFolder(folder, names);
    }
    bool any = false;
    for (const Name& name : names) {
        if (!isQuickStartName(name)) {
            continue;
        }
        // A link is removed as itself; a folder named like a game is no game.
        const EntryKind kind = entryIn(folder, name);
        if (kind == EntryKind::File || kind == EntryKind::Link) {
            any = true;
            if (deleteThem) {
                removeIn(folder, name);
            }
        }
    }
    return deleteThem || any;
}
