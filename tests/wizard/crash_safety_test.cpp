// The program killed at any point of the update leaves every file whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/headless/headless.h"
#include "update/file_list.h"
#include "wizard/texts.h"
#include "wizard_harness.h"

namespace {

// Runs the update in a child process that dies at step `step`: a file-size limit
// kills it inside whatever that step writes, and a step that writes little is
// followed by SIGKILL before the next one.
void updateKilledAt(const SampleSetup& setup, int step) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        bool limited = false;
        Script script;
        script.waitState(LanguageScreen).clickSlot(1).waitState(VersionScreen).clickSlot(4);
        script.then([&](UpdateWizard& w) {
            if (limited) {
                raise(SIGKILL);
            }
            if (w.state == ProgressScreen && w.progressCount == step) {
                const rlimit small{1000, 1000};
                setrlimit(RLIMIT_FSIZE, &small);
                limited = true;
            }
            return false;
        });
        script.run(setup);
        _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "step " << step << " status " << status;
}

TEST(CrashSafety, EveryFileIsOldOrNewWhereverTheUpdateDies) {
    for (int step = 0; step <= UpdateFileCount + 1; ++step) {
        SCOPED_TRACE(step);
        const SampleSetup setup = SampleSetup::create("crash");
        updateKilledAt(setup, step);
        if (HasFatalFailure()) {
            return;
        }
        const int interrupted = step - 1;
        for (int e = 0; e < UpdateFileCount; ++e) {
            const std::string now = readFile(setup.target(e));
            const std::string fresh = SampleSetup::newContents(e);
            const std::string old = SampleSetup::oldContents(e);
            if (e < interrupted) {
                EXPECT_EQ(now, fresh) << "entry " << e;
            } else if (e > interrupted) {
                EXPECT_EQ(now, old) << "entry " << e;
            } else {
                EXPECT_TRUE(now == old || now == fresh) << "entry " << e;
            }
        }

        // Whatever was left behind, a second run finishes the job and clears it.
        if (!fs::exists(setup.updateFolder / LanguageReadmeFiles[English])) {
            writeFile(setup.updateFolder / LanguageReadmeFiles[English],
                      SampleSetup::readmeContents(English));
        }
        ASSERT_TRUE(updateScript(English).run(setup));
        for (int e = 0; e < UpdateFileCount; ++e) {
            EXPECT_EQ(readFile(setup.target(e)), SampleSetup::newContents(e)) << "entry " << e;
        }
        EXPECT_EQ(strayFiles(setup), std::vector<fs::path>{});
        setup.remove();
    }
}

} // namespace
