// The all-or-nothing update. The wizard stages each entry's new contents beside
// its target; the commit then replaces them all and records the new version, or
// puts every old file back. A journal makes the same promise hold for a program
// killed part way: the next start completes or undoes what it finds.
#pragma once

#include <cstdint>
#include <string>

#include "update/file_list.h"

// Where an entry's new contents wait for the commit, and where its old file waits
// while the commit runs. Both lie beside the target, on its file system.
std::string stagedPathFor(const std::string& target);
std::string asidePathFor(const std::string& target);
// The installation path of entry index (empty when it cannot be formed).
std::string entryTargetPath(const char* installPath, int index);

struct StagedUpdate {
    const char* installPath = "";
    bool staged[UpdateFileCount] = {};
    // Each staged file's size, as it was written.
    std::uint64_t sizes[UpdateFileCount] = {};
    // The language readme the installation's readme was copied from, removed once
    // the update is in place; may be empty.
    std::string readmeSource;
    std::string versionText;
};

enum class CommitOutcome {
    Committed,      // every staged file in place, the record names the new version
    NothingChanged, // files and record as before; the staged files are kept
    StagingLost,    // a staged file is missing or incomplete; nothing changed
    Stuck,          // the undo itself failed: the journal stays for the next start
};

CommitOutcome commitUpdate(const StagedUpdate& update);

// Removes staged files and the leftovers of an interrupted staging from
// installPath; does nothing while a journal there still needs them.
void removeStagedFiles(const char* installPath);

namespace commit_hooks {
// Called after each operation of a commit or a recovery (a journal write, a file
// moved or removed, the record written) with their running count. Returning true
// stops the commit there, as if the program had been killed.
extern bool (*afterOperation)(int count);
} // namespace commit_hooks
