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

#include "platform/entry.h"
#include "platform/headless/headless.h"
#include "platform/messages.h"
#include "platform/sdl/sdl_backend.h"

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
std::string systemLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "";
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

InstanceHandle installTerminal() {
    headless::DesktopConfig config;
    config.printMessageBoxes = true;
    config.printScreens = true;
    headless::install(config);
    closeWhenIdle();
    return headless::ops().instance();
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

bool sdlInstalled = false;

OpenedDesktop openDesktop(DesktopKind kind) {
    const char* choice = std::getenv("TACTICO_PLATFORM");
    if (kind == DesktopKind::Unattended) {
        // Message boxes reach standard output through the run's progress lines.
        headless::install({});
        return {true, headless::ops().instance(), ""};
    }
    if (kind == DesktopKind::Terminal ||
        (choice != nullptr && std::strcmp(choice, "headless") == 0)) {
        return {true, installTerminal(), ""};
    }
    sdl::install();
    if (const char* driver = invisibleDriver()) {
        sdl::shutdown();
        return {false, nullptr, std::string("no display; SDL video driver: ") + driver};
    }
    sdlInstalled = true;
    return {true, sdl::ops().instance(), ""};
}

void closeDesktop() {
    if (sdlInstalled) {
        sdl::shutdown();
        sdlInstalled = false;
    }
}

void showUsage(const std::string& error, const std::string& usage, bool) {
    if (!error.empty()) {
        std::fprintf(stderr, "tactico-update: %s\n\n", error.c_str());
    }
    std::fputs(usage.c_str(), stdout);
}

} // namespace

int main(int argc, char** argv) {
    ProgramEntry entry;
    entry.arguments = joinArguments(argc, argv);
    entry.language = systemLanguage();
    entry.systemDescription = systemDescription();
    entry.showUsage = showUsage;
    entry.openDesktop = openDesktop;
    entry.closeDesktop = closeDesktop;
    return programMain(entry);
}
