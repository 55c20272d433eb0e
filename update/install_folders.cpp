#include "update/install_folders.h"

#include <optional>
#include <vector>

#include "platform/paths.h"
#include "platform/run_log.h"
#include "update/in_use.h"
#include "update/journal.h"

namespace {

// A subfolder's backslashed text ("\data\") as the names below the installation.
std::vector<Name> namesOf(const char* subfolder) {
    std::vector<Name> names;
    std::string name;
    const auto add = [&names, &name] {
        if (std::optional<Name> one = Name::of(name)) {
            names.push_back(std::move(*one));
        }
        name.clear();
    };
    for (const char* c = subfolder; *c != '\0'; ++c) {
        if (*c != '\\') {
            name += *c;
        } else if (!name.empty()) {
            add();
        }
    }
    if (!name.empty()) {
        add();
    }
    return names;
}

// The program's own names for an entry's files, which are always names.
Name numbered(int index, const char* suffix) {
    return *Name::of(std::to_string(index) + suffix);
}

} // namespace

Name stagedName(int index) {
    return numbered(index, ".new");
}

Name temporaryName(int index) {
    return numbered(index, ".tmp");
}

Name asideName(int index) {
    return numbered(index, ".old");
}

bool gameRunning(const InstallFolders& folders) {
    const Name& game = UpdateFileList[0].file;
    if (!programRunning(folders.game, game)) {
        return false;
    }
    runLog("The game is running from %s: it must be closed before the update can replace its files",
           folders.game.pathOf(game).c_str());
    return true;
}

std::string entryTargetPath(const char* installPath, int index) {
    const UpdateFileEntry& entry = UpdateFileList[index];
    return formTargetPath(installPath, entry.subfolder, entry.name);
}

bool InstallFolders::open(const char* installPath) {
    path = installPath;
    subfolders.clear();
    staging = PrivateFolder();
    std::string why;
    game = openInstallFolder(installPath, why);
    if (!game.isOpen()) {
        runLog("The installation folder %s cannot be used: %s", installPath, why.c_str());
        return false;
    }
    return true;
}

bool InstallFolders::openStaging(bool create) {
    refused = false;
    if (staging.isOpen()) {
        return true;
    }
    PrivateFolderState state = PrivateFolderState::Failed;
    staging = openPrivateFolder(game, StagingFolder, create, state);
    if (staging.isOpen()) {
        if (state == PrivateFolderState::Unprotected) {
            runLog("%s is on a volume that keeps no access lists (FAT32 or exFAT, say): any "
                   "account may write there, as anywhere in the game's folder; the update goes on",
                   game.pathOf(StagingFolder).c_str());
        }
        return true;
    }
    refused = state == PrivateFolderState::Refused;
    if (refused) {
        runLog("%s is not this program's own staging folder; the installation is left as it is",
               game.pathOf(StagingFolder).c_str());
    } else if (create) {
        runLog("Cannot make the folder %s: %s", game.pathOf(StagingFolder).c_str(),
               systemErrorText().c_str());
    }
    return false;
}

const Folder* InstallFolders::targetFolder(int index) {
    std::string why;
    const Folder* folder = folderOf(index, &why);
    if (folder == nullptr) {
        runLog("%s; the update does not write through it", why.c_str());
    }
    return folder;
}

const Folder* InstallFolders::folderOf(int index, std::string* why) {
    const char* subfolder = UpdateFileList[index].subfolder;
    const std::vector<Name> names = namesOf(subfolder);
    if (names.empty()) {
        return &game;
    }
    for (const auto& [text, folder] : subfolders) {
        if (text == subfolder) {
            return &folder;
        }
    }
    Folder folder;
    const Folder* parent = &game;
    for (const Name& name : names) {
        folder = openSubfolder(*parent, name);
        if (!folder.isOpen()) {
            if (why != nullptr) {
                *why = parent->pathOf(name) + (entryIn(*parent, name) == EntryKind::Link
                                                   ? " is a link or junction"
                                                   : ": " + systemErrorText());
            }
            return nullptr;
        }
        parent = &folder;
    }
    subfolders.emplace_back(subfolder, std::move(folder));
    return &subfolders.back().second;
}

void InstallFolders::removeStaging() {
    if (!staging.isOpen()) {
        return;
    }
    // A journal guards an update that may be half done: it stays for the next start.
    switch (entryIn(staging, JournalFile)) {
    case EntryKind::None:
        break;
    case EntryKind::Other:
        runLog("Cannot tell whether %s holds a journal; it is left for the next start",
               game.pathOf(StagingFolder).c_str());
        return;
    default:
        return;
    }
    std::vector<Name> names;
    if (!listFolder(staging, names)) {
        runLog("Cannot list everything in %s: %s; what is left goes when the update next starts",
               game.pathOf(StagingFolder).c_str(), systemErrorText().c_str());
    }
    // What another program still holds is not in the way of anything: it goes
    // when Windows restarts, or with the next start's sweep.
    for (const Name& name : names) {
        if (!removeWhenFree(staging, name)) {
            leave(staging, name);
        }
    }
    // Renamed away while the update ran, it is emptied through the handle all the
    // same; whatever now stands at its name is not the program's to remove.
    if (!isFolderAt(staging, game, StagingFolder)) {
        const std::string now = currentPathOf(staging);
        runLog("%s was moved while the update ran%s; what is left of it is not removed",
               game.pathOf(StagingFolder).c_str(), now.empty() ? "" : (" to " + now).c_str());
        staging = PrivateFolder();
        return;
    }
    staging = PrivateFolder();
    if (!removeFolderIn(game, StagingFolder)) {
        leave(game, StagingFolder);
    }
}

void InstallFolders::leave(const Folder& folder, const Name& name) {
    const std::string error = systemErrorText();
    runLog("Cannot remove %s: %s; %s", folder.pathOf(name).c_str(), error.c_str(),
           removeAtRestart(folder, name)
               ? "it goes when the computer restarts, or when the update next starts"
               : "it goes when the update next starts");
}
