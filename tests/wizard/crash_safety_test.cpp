// The program killed at any point of the update: the next start leaves the game
// wholly old or wholly new, with a record that agrees, and nothing beside it.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <optional>

#include "update/commit.h"
#include "wizard_harness.h"

namespace {

int frameToDie = -1;
// The commit's operations: the journal, two moves per entry, the record, the old
// files, the update folder's readme and the journal's removal.
constexpr int MovesDone = 1 + 2 * UpdateFileCount;
constexpr int RecordWritten = MovesDone + 1;
constexpr int ReadmeRemoved = RecordWritten + UpdateFileCount + 1;

// Runs the update in a child that dies where dies() says; true when it died
// there, false when it ran to the end without dying.
template <typename Hook> bool updateKilled(const SampleSetup& setup, Hook dies) {
    const pid_t child = fork();
    if (child == 0) {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        dies(); // arms a commit hook, or names the frame
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
        ASSERT_TRUE(updateKilled(setup, [step] { frameToDie = step; }));
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

// Once the journal is written, the next start completes the update; once the
// record names the new version, it does so even where the record cannot be
// written, never bringing the old files back. Where the record cannot take the new
// version the commit undoes itself, and the next start finishes a killed undo. The
// update folder is no business of a recovery: only the commit itself removes the
// readme it installed.
TEST(CrashSafety, KilledAfterEachOperationOfTheCommitOrItsUndo) {
    for (const bool writable : {true, false}) {
        int operation = writable ? 1 : MovesDone + 1;
        for (;; ++operation) {
            SCOPED_TRACE(::testing::Message() << "writable " << writable << ", " << operation);
            const SampleSetup setup("commit");
            std::optional<UnwritableRecord> unwritable;
            if (!writable) {
                unwritable.emplace();
            }
            const bool killed = updateKilled(setup, [operation] { dieAfterOperation(operation); });
            if (killed && operation >= RecordWritten) {
                unwritable.emplace();
            }
            ASSERT_TRUE(!killed || startAgain(setup));
            unwritable.reset();
            setup.expectFiles(setup.game, 0, writable ? UpdateFileCount : 0);
            EXPECT_EQ(recordedVersion(), writable ? UpdaterVersionText : OldVersion);
            if (!killed) {
                break;
            }
            EXPECT_EQ(setup.strayFiles(), std::vector<fs::path>{});
            EXPECT_EQ(fs::exists(setup.updateFolder / LanguageReadmeFiles[English]),
                      !writable || operation < ReadmeRemoved);
            // The same command run again finds its update done and ends as one does.
            if (writable && operation == RecordWritten) {
                ASSERT_TRUE(toProgress().waitState(CompletedScreen).key(win::kVkEscape).run(setup));
                setup.expectFiles(setup.game, 0, UpdateFileCount);
            }
        }
        // One past the journal's removal, or past the undo's moves back.
        EXPECT_EQ(operation, writable ? ReadmeRemoved + 2 : MovesDone + 2 * UpdateFileCount + 2);
    }
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
    setup.expectOldOrNew();
    EXPECT_EQ(recordedVersion(), UpdaterVersionText);
    struct stat after {};
    ASSERT_EQ(stat(setup.target(unchanged).c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

} // namespace
