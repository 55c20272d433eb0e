#include <cstdio>
#include <string>

#include "app/bwio.h"
#include "app/command_line.h"
#include "app/run_context.h"
#include "app/run_report.h"
#include "platform/entry.h"
#include "platform/run_log.h"
#include "wizard/language_codes.h"
#include "wizard/texts.h"

namespace {

// A wizard on a desktop nobody can see would wait for ever for a click.
int refuseWithoutDisplay(const std::string& commandLine, const RunOptions& options,
                         const std::string& why) {
    std::fputs("Error: Unable to open graphics\n"
               "There is no display to show the update wizard on. To update without one, run\n"
               "  tactico-update --silent [--lang=eng] [--log=FILE]\n"
               "(tactico-update --help lists the options.)\n",
               stderr);
    if (!options.logPath.empty() && openRunLog(options.logPath.c_str())) {
        run_context::options = options;
        logRunStart(commandLine.c_str());
        runLog("Error: Unable to open graphics (%s)", why.c_str());
        logRunEnd({0, "no display"}, 0);
        closeRunLog();
    }
    return 0;
}

} // namespace

int programMain(const ProgramEntry& entry) {
    const std::string commandLine = entry.arguments.value_or(std::string());
    RunOptions options = parseCommandLine(commandLine.c_str());
    if (!entry.arguments) {
        options.error = "the command line holds text that is no Unicode: it is not read";
    }
    if (options.help || !options.error.empty()) {
        entry.showUsage(options.error, usageText(), options.silent);
        return options.error.empty() ? ExitUpdated : ExitBadCommandLine;
    }
    const int language = languageFromLocaleName(entry.language.c_str());
    run_context::systemLanguage = language >= 0 ? language : English;
    run_context::platformDescription = entry.systemDescription;

    OpenedDesktop desktop =
        entry.openDesktop(options.silent ? DesktopKind::Unattended : DesktopKind::Window);
    // Packing waits for nobody: without a display it reports in the terminal.
    if (!desktop.opened && options.pack) {
        desktop = entry.openDesktop(DesktopKind::Terminal);
    }
    if (!desktop.opened) {
        return refuseWithoutDisplay(commandLine, options, desktop.noDisplay);
    }
    const int exitCode = runApplication(desktop.instance, commandLine.c_str());
    entry.closeDesktop();
    return exitCode;
}
