// The installation's folders, each opened once and used by handle from then on,
// and the folder of the program's own inside it where the update's files wait.
#pragma once

#include <list>
#include <string>
#include <utility>

#include "platform/file_io.h"
#include "update/file_list.h"

// The folder inside the installation where staged files, old copies and the
// journal wait: only the program's own account may use it, so nothing there can
// be replaced, removed or linked between the hash and the rename.
inline constexpr Name StagingFolder = "tactico-update.staging";
inline constexpr const char* StagingFolderName = StagingFolder.c_str();
// Entry index's names inside it: its new contents, their half-written form, and
// its old file while the commit runs.
Name stagedName(int index);
Name temporaryName(int index);
Name asideName(int index);
// The installation path of entry index (empty when it cannot be formed).
std::string entryTargetPath(const char* installPath, int index);

class InstallFolders {
  public:
    // Walks installPath from the root; false, with the reason logged, when it is
    // not a folder the program may work in.
    bool open(const char* installPath);
    // The staging folder, made when create says so; false, with the reason
    // logged, when it cannot be had or what stands there is not the program's.
    bool openStaging(bool create);
    // Whether a staging folder that is not the program's stands in the way.
    bool stagingRefused() const { return refused; }
    // The folder entry index goes into; null, with the reason in why, when it is
    // not a folder of the installation (a link or junction leads out of it).
    const Folder* folderOf(int index, std::string* why = nullptr);
    // The same, with the reason logged: nothing goes through a folder that is not
    // the installation's.
    const Folder* targetFolder(int index);
    // Empties and removes the staging folder, unless it holds a journal. What
    // cannot be removed now is named in the log and removed later.
    void removeStaging();

    Folder game;
    PrivateFolder staging;
    std::string path;

  private:
    static void leave(const Folder& folder, const Name& name);

    std::list<std::pair<std::string, Folder>> subfolders;
    bool refused = false;
};

// Whether the game is running from the installation, logged when it is: its
// files cannot be replaced while it runs.
bool gameRunning(const InstallFolders& folders);
