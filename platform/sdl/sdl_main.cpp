// The Linux program: a real SDL window by default, or the headless desktop when
// TACTICO_PLATFORM=headless (for automation: nobody is there to click, so an idle
// program is closed and message boxes are printed).
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "platform/messages.h"
#include "platform/sdl/sdl_backend.h"

namespace {

std::string joinArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
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
    headless::install(config);
    closeWhenIdle();
    return runApplication(headless::ops().instance(), commandLine.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const std::string commandLine = joinArguments(argc, argv);
    const char* choice = std::getenv("TACTICO_PLATFORM");
    if (choice != nullptr && std::strcmp(choice, "headless") == 0)
        return runHeadless(commandLine);

    sdl::install();
    const int exitCode = runApplication(sdl::ops().instance(), commandLine.c_str());
    sdl::shutdown();
    return exitCode;
}
