// The Linux program: a real SDL window by default; the headless desktop for
// /silent (nobody at the screen: the wizard answers itself) and for
// TACTICO_PLATFORM=headless (automation: an idle program is closed, and message
// boxes and each screen's description are printed).
#include <SDL.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/bwio.h"
#include "app/command_line.h"
#include "app/run_context.h"
#include "app/run_report.h"
#include "platform/headless/headless.h"
#include "platform/messages.h"
#include "platform/run_log.h"
#include "platform/sdl/sdl_backend.h"
#include "wizard/language_codes.h"

namespace {

// Words with blanks are quoted, so that the command line splits back into the
// words the shell passed.
std::string joinArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        const std::string word = argv[i];
        const bool blank = word.empty() || word.find_first_of(" \t\n\r") != std::string::npos;
        line += blank ? '"' + word + '"' : word;
    }
    return line;
}

// The language of messages, as POSIX orders the variables.
int systemLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            const int language = languageFromLocaleName(value);
            return language >= 0 ? language : 0;
        }
    }
    return 0;
}

std::string systemDescription() {
    utsname name{};
    if (uname(&name) != 0)
        return "Linux";
    return std::string(name.sysname) + " " + name.release + " " + name.machine;
}

// With no user, a frame that presents nothing new means the program waits for
// input that will never come.
void closeWhenIdle() {
    headless::setPumpHook([lastPresents = -1]() mutable {
        const int presents = headless::presentCount();
        if (presents == lastPresents && !headless::paintPending())
            headless::post(win::kWmClose);
        lastPresents = presents;
    });
}

int runHeadless(const std::string& commandLine) {
    headless::DesktopConfig config;
    config.printMessageBoxes = true;
    config.printScreens = true;
    headless::install(config);
    closeWhenIdle();
    return runApplication(headless::ops().instance(), commandLine.c_str());
}

// Message boxes reach standard output through the run's progress lines.
int runUnattended(const std::string& commandLine) {
    headless::install({});
    return runApplication(headless::ops().instance(), commandLine.c_str());
}

// SDL's offscreen and dummy drivers open windows nobody can see; a wizard there
// would wait for ever for a click. They count only when asked for by name.
const char* invisibleDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr)
        return "none";
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)
        return nullptr;
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return asked != nullptr && std::strstr(asked, driver) != nullptr ? nullptr : driver;
}

int refuseWithoutDisplay(const std::string& commandLine, const RunOptions& options,
                         const char* driver) {
    std::fputs("Error: Unable to open graphics\n"
               "There is no display to show the update wizard on. To update without one, run\n"
               "  tactico-update --silent [--lang=eng] [--log=FILE]\n"
               "(tactico-update --help lists the options.)\n",
               stderr);
    if (!options.logPath.empty() && openRunLog(options.logPath.c_str())) {
        run_context::options = options;
        logRunStart(commandLine.c_str());
        runLog("Error: Unable to open graphics (no display; SDL video driver: %s)", driver);
        logRunEnd({0, "no display"}, 0);
        closeRunLog();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string commandLine = joinArguments(argc, argv);
    const RunOptions options = parseCommandLine(commandLine.c_str());
    if (!options.error.empty()) {
        std::fprintf(stderr, "tactico-update: %s\n\n", options.error.c_str());
        std::fputs(usageText(), stdout);
        return ExitBadCommandLine;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    run_context::systemLanguage = systemLanguage();
    run_context::platformDescription = systemDescription();

    if (options.silent)
        return runUnattended(commandLine);
    const char* choice = std::getenv("TACTICO_PLATFORM");
    if (choice != nullptr && std::strcmp(choice, "headless") == 0)
        return runHeadless(commandLine);

    sdl::install();
    if (const char* driver = invisibleDriver()) {
        sdl::shutdown();
        // Packing waits for nobody: it reports in the terminal instead of a box.
        if (options.pack)
            return runHeadless(commandLine);
        return refuseWithoutDisplay(commandLine, options, driver);
    }
    const int exitCode = runApplication(sdl::ops().instance(), commandLine.c_str());
    sdl::shutdown();
    return exitCode;
}
