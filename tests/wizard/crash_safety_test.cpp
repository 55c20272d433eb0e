// The program killed at any point of the update leaves every file whole.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "wizard_harness.h"

namespace {

TEST(CrashSafety, EveryFileIsOldOrNewWhereverTheUpdateDies) {
    for (int step = 0; step <= UpdateFileCount + 1; ++step) {
        SCOPED_TRACE(step);
        const SampleSetup setup("crash");
        // The child dies at `step`: a file-size limit kills it inside whatever that
        // step writes, and a step that writes little is followed by SIGKILL.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit noCore{0, 0}, small{1000, 1000};
            setrlimit(RLIMIT_CORE, &noCore);
            bool limited = false;
            toProgress()
                .then([&](UpdateWizard& w) {
                    if (limited) {
                        raise(SIGKILL);
                    }
                    if (w.state == ProgressScreen && w.progressCount == step) {
                        limited = setrlimit(RLIMIT_FSIZE, &small) == 0;
                    }
                    return false;
                })
                .run(setup);
            _exit(3);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;

        // The entry being written when it died may hold either contents.
        const int interrupted = step - 1;
        const bool whole = interrupted >= 0 && interrupted < UpdateFileCount &&
                           readFile(setup.target(interrupted)) == newContents(interrupted);
        setup.expectFiles(setup.game, 0, whole ? step : interrupted);

        // Whatever was left behind, a second run finishes the job and clears it.
        writeFile(setup.updateFolder / LanguageReadmeFiles[English], readmeContents(English));
        ASSERT_TRUE(toProgress().waitState(CompletedScreen).clickSlot(4).run(setup));
        setup.expectFiles(setup.game, 0, UpdateFileCount);
        EXPECT_EQ(setup.strayFiles(), std::vector<fs::path>{});
    }
}

} // namespace
