// The program killed at any point of the update: the next start leaves the game
// wholly old or wholly new, with a record that agrees, and nothing beside it.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "update/commit.h"
#include "update/journal.h"
#include "wizard_harness.h"

namespace {

int frameToDie = -1;
// The commit's operations: the journal, two moves per entry, the record, the old
// files, the update folder's readme and the journal's removal.
constexpr int RecordWritten = 1 + 2 * UpdateFileCount + 1;
constexpr int ReadmeRemoved = RecordWritten + UpdateFileCount + 1;

// Runs the update in a child that dies where dies() says; true when it died
// there, false when it ran to the end without dying.
template <typename Hook> bool updateKilled(const SampleSetup& setup, Hook dies) {
    const pid_t child = fork();
    if (child == 0) {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        dies(); // arms a commit hook, where it applies
        toProgress()
            .then([&](UpdateWizard& w) {
                if (w.state == ProgressScreen && w.progressCount == frameToDie) {
                    raise(SIGKILL);
                }
                return w.state == CompletedScreen || w.state == WriteFailureScreen;
            })
            .run(setup);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

TEST(CrashSafety, KilledAtAnyFrameOfTheUpdate) {
    for (int step = 0; step <= UpdateFileCount + 1; ++step) {
        SCOPED_TRACE(step);
        const SampleSetup setup("frame");
        frameToDie = step;
        ASSERT_TRUE(updateKilled(setup, [] {}));
        frameToDie = -1;
        // Nothing is replaced before the last step's commit.
        setup.expectFiles(setup.game, 0, 0);
        ASSERT_TRUE(startAgain(setup));
        setup.expectOldOrNew();
        EXPECT_EQ(recordedVersion(), OldVersion);
    }
}

void dieAfterOperation(int operation) {
    static int stopAt = 0;
    stopAt = operation;
    commit_hooks::afterOperation = [](int count) {
        if (count == stopAt) {
            raise(SIGKILL);
        }
        return false;
    };
}

// Once the journal is written, the next start completes the update.
TEST(CrashSafety, KilledAfterEachOperationOfTheCommit) {
    int operation = 1;
    for (;; ++operation) {
        SCOPED_TRACE(operation);
        const SampleSetup setup("commit");
        if (!updateKilled(setup, [operation] { dieAfterOperation(operation); })) {
            setup.expectFiles(setup.game, 0, UpdateFileCount);
            break;
        }
        ASSERT_TRUE(startAgain(setup));
        setup.expectOldOrNew();
        EXPECT_EQ(recordedVersion(), UpdaterVersionText);
        // The update folder is no business of a recovery: only the commit itself
        // removes the readme it installed.
        EXPECT_EQ(fs::exists(setup.updateFolder / LanguageReadmeFiles[English]),
                  operation < ReadmeRemoved);
    }
    EXPECT_EQ(operation, ReadmeRemoved + 2); // past the journal's removal
}

// A patch update is the same commit: killed inside it, the next start completes
// it. An unchanged entry is never staged, journalled or moved: its file stays the
// very one it was.
TEST(CrashSafety, APatchUpdateKilledInsideItsCommit) {
    constexpr int unchanged = 3;
    const SampleSetup setup("patch");
    setup.makePatch(false, unchanged);
    struct stat before {};
    ASSERT_EQ(stat(setup.target(unchanged).c_str(), &before), 0);
    ASSERT_TRUE(updateKilled(setup, [] { dieAfterOperation(1 + 2 * 20); }));
    ASSERT_TRUE(startAgain(setup));
    setup.expectFiles(setup.game, 0, UpdateFileCount);
    EXPECT_EQ(setup.strayFiles(), std::vector<fs::path>{});
    EXPECT_EQ(recordedVersion(), UpdaterVersionText);
    struct stat after {};
    ASSERT_EQ(stat(setup.target(unchanged).c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

// Killed once the record names the new version, and started again where the
// record cannot be written: the old files never come back under the new version.
// The same command run again finds its update done and ends as an update does.
TEST(CrashSafety, ARecordThatNamesTheUpdateIsNeverUndone) {
    const SampleSetup setup("recorded");
    ASSERT_TRUE(updateKilled(setup, [] { dieAfterOperation(RecordWritten); }));
    {
        const UnwritableRecord unwritable;
        ASSERT_TRUE(startAgain(setup));
    }
    setup.expectFiles(setup.game, 0, UpdateFileCount);
    EXPECT_EQ(recordedVersion(), UpdaterVersionText);
    EXPECT_FALSE(fs::exists(setup.game / JournalFileName));
    ASSERT_TRUE(toProgress().waitState(CompletedScreen).key(win::kVkEscape).run(setup));
    setup.expectFiles(setup.game, 0, UpdateFileCount);
}

// A record that cannot take the new version: the commit undoes itself, and a
// kill inside that undo is finished by the next start, which cannot write the
// record either.
TEST(CrashSafety, KilledWhileUndoingForARecordThatCannotBeWritten) {
    constexpr int movesDone = 1 + 2 * UpdateFileCount;
    for (int operation = movesDone + 1;; ++operation) {
        SCOPED_TRACE(operation);
        const SampleSetup setup("undo");
        const UnwritableRecord unwritable;
        if (!updateKilled(setup, [operation] { dieAfterOperation(operation); })) {
            break;
        }
        ASSERT_TRUE(startAgain(setup));
        setup.expectOldOrNew();
        EXPECT_EQ(recordedVersion(), OldVersion);
        EXPECT_TRUE(fs::exists(setup.updateFolder / LanguageReadmeFiles[English]));
        ASSERT_LT(operation, movesDone + 2 * UpdateFileCount + 2);
    }
}

} // namespace
