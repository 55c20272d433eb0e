#include <cstdio>
#include <new>
#include <string>

#include "app/bwio.h"
#include "app/main_loop.h"
#include "app/run_context.h"
#include "app/run_report.h"
#include "app/silent_answers.h"
#include "app/test_hooks.h"
#include "platform/file_io.h"
#include "platform/run_log.h"
#include "update/package_listing.h"
#include "update/publisher_keys.h"
#include "wizard/devices.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace {

UpdateWizard* createApplication() {
    if (test_hooks::failApplicationAllocation)
        return nullptr;
    return new (std::nothrow) UpdateWizard();
}

void destroyApplication(UpdateWizard* application) {
    delete application;
}

// A process runs this once; tests run it many times in one process, so every run
// starts from the state a fresh process would have.
void startFresh() {
    shell::closeRequested = false;
    shell::painting = false;
    input::mouseX = 0;
    input::mouseY = 0;
    input::leftButton = 0;
    input::rightButton = 0;
    input::middleButton = 0;
    input::wheelTotal = 0;
    input::keyLatch = 0;
    input::characterLatch = 0;
    input::shiftLatch = 0;
    input::pressLatch = 0;
    run_context::packResult = PackResult::NotAsked;
}

// An administrator who asked for a log must learn that there is none.
bool openRequestedLog(const RunOptions& options) {
    if (options.logPath.empty() || openRunLog(options.logPath.c_str()))
        return true;
    const std::string why = "Unable to open the log " + options.logPath + ": " + systemErrorText();
    if (options.silent)
        writeStandardText(stderr, why + "\n");
    else
        platform().messageBox("Error", why.c_str());
    return false;
}

// -list: what the update folder holds, on standard output; nothing else is done.
int printListing() {
    ListingRequest request{UpdaterVersionText, {}, publisherKeys()};
    for (int language = 0; language < LanguageCount; ++language) {
        request.readmes.emplace_back(LanguageReadmeFiles[language]);
    }
    const PackageListing listing = listUpdateFolder(request);
    writeStandardText(stdout, listing.text);
    return listing.problems.empty() ? ExitUpdated : ExitPackageBad;
}

} // namespace

int runApplication(InstanceHandle instance, const char* commandLine) {
    startFresh();
    shell::instanceHandle = instance;
    shell::commandLine = commandLine;
    run_context::options = parseCommandLine(commandLine);
    const RunOptions& options = run_context::options;
    // The entry has shown the usage; nothing is touched.
    if (options.help)
        return ExitUpdated;
    if (!options.error.empty() || !openRequestedLog(options))
        return ExitBadCommandLine;
    if (options.list)
        return printListing();
    setRunLogEcho(options.silent ? stdout : nullptr);
    logRunStart(commandLine);
    test_hooks::pauseCommitsAsAsked();
    SilentAnswers answers;
    shell::beforeFrame = [&answers, silent = options.silent] {
        logScreenChange();
        if (silent)
            answers.answerCurrentScreen();
    };

    UpdateWizard* created = createApplication();
    runMainLoop();
    const int finalState = created != nullptr ? created->state : -1;
    const bool checksPassed = created != nullptr && created->checksPassed;
    destroyApplication(created);

    const RunOutcome outcome =
        runOutcome(created != nullptr, finalState, run_context::packResult, checksPassed);
    // The window keeps exit code 0, which whatever starts it may rely on; a check
    // is asked for its answer.
    const int exitCode = options.silent || options.check ? outcome.exitCode : 0;
    logRunEnd(outcome, exitCode);
    shell::beforeFrame = nullptr;
    setRunLogEcho(nullptr);
    closeRunLog();
    return exitCode;
}

void runMainLoop() {
    shell::running = true;
    const auto step = [] {
        if (shell::beforeFrame != nullptr)
            shell::beforeFrame();
        return shell::application->frameStep();
    };
    if (shell::application != nullptr && step()) {
        while (!shell::closeRequested) {
            shell::application->pumpMessages();
            if (!step())
                break;
        }
    }
    shell::running = false;
}
