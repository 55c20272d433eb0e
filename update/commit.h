// The all-or-nothing update. The wizard stages each entry's new contents in a
// folder of the program's own inside the installation; the commit then replaces them all and
// records the new version, or puts every old file back. A journal makes the same promise hold for a
// program killed part way: the next start completes or undoes what it finds.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// The installation's folders, each opened once and used by handle from then on.
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

struct StagedUpdate {
    // Held open from the checks on; the staging folder is open.
    InstallFolders* folders = nullptr;
    // Where readmeSource is.
    const Folder* updateFolder = nullptr;
    bool staged[UpdateFileCount] = {};
    // Each staged file's size, as it was written.
    std::uint64_t sizes[UpdateFileCount] = {};
    // The language readme the installation's readme was copied from, removed once
    // the update is in place (by this commit only: no journal names it).
    std::optional<Name> readmeSource;
    std::string versionText;
};

enum class CommitOutcome {
    Committed,      // every staged file in place, the record names the new version
    NothingChanged, // files and record as before; the staged files are kept
    StagingLost,    // a staged file is missing or incomplete; nothing changed
    Stuck,          // the undo itself failed: the journal stays for the next start
};

CommitOutcome commitUpdate(const StagedUpdate& update);

// Whether the game is running from the installation, logged when it is: its
// files cannot be replaced while it runs.
bool gameRunning(const InstallFolders& folders);

enum class RecoveryOutcome {
    NoJournal, // nothing was under way
    Completed, // the update is in place and the record names versionText
    Undone,    // the old files are back and the record as it was
    Left,      // a journal that cannot be read or acted on stays for the next start
};

// Completes or undoes what a journal in installPath says was under way, recording
// versionText (the program's own; a journal names no version), then removes what
// staging left. Once the record already names versionText it only completes.
RecoveryOutcome recoverUpdate(const char* installPath, const char* versionText);

namespace commit_hooks {
// Called after each operation of a commit or a recovery (a journal write, a file
// moved or removed, the record written) with their running count. Returning true
// stops the commit there, as if the program had been killed.
extern bool (*afterOperation)(int count);
} // namespace commit_hooks
