// The all-or-nothing update. The wizard stages each entry's new contents in a
// folder of the program's own inside the installation; the commit then replaces them all and
// records the new version, or puts every old file back. A journal makes the same promise hold for a
// program killed part way: the next start completes or undoes what it finds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_io.h"
#include "update/file_list.h"
#include "update/install_folders.h"

struct Journal;

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

// Takes up the commit journal names, in folders whose staging folder holds it,
// recording versionText: completed when the record already names it (the old
// files must not come back under it), completed or undone as the files allow
// otherwise.
CommitOutcome resumeCommit(InstallFolders& folders, const Journal& journal,
                           const std::string& versionText);

namespace commit_hooks {
// Called after each operation of a commit or a recovery (a journal write, a file
// moved or removed, the record written) with their running count. Returning true
// stops the commit there, as if the program had been killed.
extern bool (*afterOperation)(int count);
} // namespace commit_hooks
