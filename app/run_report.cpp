#include "app/run_report.h"

#include "app/bwio.h"
#include "app/run_context.h"
#include "platform/file_io.h"
#include "platform/run_log.h"
#include "platform/windows1252.h"
#include "wizard/keyboard_focus.h"
#include "wizard/language_codes.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace {

int loggedState = -1;

const char* screenName(int state) {
    static const char* const names[] = {
        "language",
        "installation not found",
        "version",
        "progress",
        "completed",
        "update file missing or corrupt",
        "corrupt installation",
        "quick start",
        "folder entry",
        "write failure",
        "incompatible update",
    };
    return state >= 0 && state <= IncompatibleScreen ? names[state] : "unknown";
}

} // namespace

void logRunStart(const char* commandLine) {
    const RunOptions& options = run_context::options;
    loggedState = -1;
    runLog("Tactico Update started: %s", UpdaterVersionText);
    runLog("Command line: %s", commandLine != nullptr ? commandLine : "");
    const std::string& system = run_context::platformDescription;
    runLog("Platform: %s%s%s desktop", system.c_str(), system.empty() ? "" : ", ", platform().name);
    if (options.pack) {
        runLog("Mode: pack%s", options.silent ? ", unattended" : "");
    } else if (options.silent) {
        runLog("Mode: %sunattended, language %s, quick-start games %s",
               options.check ? "check only (nothing is written), " : "",
               languageCode(silentLanguage()), options.deleteQuickStart ? "deleted" : "kept");
    } else {
        runLog("Mode: window%s", options.check ? ", check only (nothing is written)" : "");
    }
    if (!options.installFolder.empty()) {
        runLog("Installation folder from the command line: %s", options.installFolder.c_str());
    }
}

void logScreenChange() {
    const auto* w = static_cast<const UpdateWizard*>(shell::application);
    if (w == nullptr || w->builtState != w->state || w->state == loggedState) {
        return;
    }
    loggedState = w->state;
    runLog("Screen: %s", screenName(w->state));
    // What a user would have read there, for whoever reads the log instead.
    std::string text;
    for (const ScreenElement& e : describeScreen(*w).elements) {
        if (!e.name.empty()) {
            text.append(text.empty() ? "" : " | ").append(e.name);
        }
    }
    runLog("Screen text: %s", utf8FromWindows1252(text).c_str());
}

void logRunEnd(const RunOutcome& outcome, int exitCode) {
    runLog("Result: %s; exit code %d", outcome.description, exitCode);
}
