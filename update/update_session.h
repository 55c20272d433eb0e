// One update of one installation, from the checks to the commit. The wizard asks
// it for one step per frame and draws the bar; the benchmark drives it the same
// way, so what is timed is what players run.
#pragma once

#include <optional>
#include <string>

#include "update/commit.h"
#include "update/patch_source.h"
#include "update/recovery.h"
#include "update/update_source.h"

struct UpdatePlan {
    std::string installPath;
    // The language readme's bare name in the update folder (the current folder).
    std::string readme;
    // What the record's "Version" says once the update is in.
    std::string versionText;
    // Only the checks: the first step also reads every byte the update would use
    // (hashing update.dat or decoding update.patch, but writing nowhere) and looks
    // at every file it would replace, and the session ends there. Nothing is
    // written, not even the staging folder, and no interrupted update is recovered.
    bool dryRun = false;

    bool operator==(const UpdatePlan&) const = default;
};

enum class UpdateStepKind {
    Checked,      // the sources are there and sound, the space suffices (a dry run: and
                  // everything else it found lets the update go through)
    Staged,       // entry's new contents wait for the commit (or were skipped)
    Committed,    // every file in place and the record names the new version
    SourceFailed, // a source is missing or corrupt
    WriteFailed,  // the installation cannot take the update; nothing of it changed
    // Only update.patch is there, and it was made for another version, or the
    // installation's files are not those it was made against: nothing changed.
    Incompatible,
    InstallCorrupt,
};

struct UpdateStep {
    UpdateStepKind kind;
    int entry = -1; // the entry a Staged step was about
};

class UpdateSession {
  public:
    // The checks, each entry, and the commit.
    static constexpr int StepCount = UpdateFileCount + 2;

    explicit UpdateSession(UpdatePlan plan);
    // What was staged and not committed goes.
    ~UpdateSession();
    UpdateSession(const UpdateSession&) = delete;
    UpdateSession& operator=(const UpdateSession&) = delete;

    const UpdatePlan& plan() const { return plan_; }
    // Steps that succeeded so far; a failed step is taken again by the next call.
    int stepsDone() const { return stepsDone_; }
    bool committed() const { return stepsDone_ == StepCount; }

    UpdateStep next();
    // Removes what was staged; the next step starts with the checks.
    void discard();

  private:
    UpdateStepKind check();
    UpdateStepKind checkSources();
    // Whether update.patch is what this update installs from; a failing kind when
    // it is there, cannot be used and no update.dat stands in for it.
    bool holdFolders();
    std::optional<UpdateStepKind> choosePatch();
    UpdateStepKind stage(int entry);
    // The rest of a dry run, once the checks passed.
    UpdateStepKind readThrough();
    UpdateStepKind leavePatch();
    UpdateStepKind commit();

    UpdatePlan plan_;
    int stepsDone_ = 0;
    StagedUpdate staging_;
    InstallFolders folders_;
    Folder updateFolder_;
    // plan_.readme, as a name in updateFolder_.
    std::optional<Name> readme_;
    // update.dat, held from the checks to the commit, and what was read of it.
    UpdateSource sources_;
    // update.patch, when the checks chose it over update.dat.
    PatchSource patch_;
    bool fromPatch_ = false;
    // update.patch was found not to fit while staging: update.dat serves instead.
    bool patchLeft_ = false;
};

// Completes or undoes an update killed inside its commit in installPath, and
// clears what an interrupted staging left there. Every recovery starts here;
// versionText is the program's own, the only one it ever records. An update of
// installPath to versionText completed here counts as done for a session that
// asks for the same update later in this run.
RecoveryOutcome recoverInterruptedUpdate(const char* installPath, const char* versionText);
