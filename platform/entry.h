// Where the program starts: each backend's entry point (main, WinMain) learns what
// only it can know and hands over to the application's one function, as SDL_main
// does. The application reads its command line and asks for the desktop it needs;
// the backend installs it (platform/platform.h).
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

enum class DesktopKind {
    // Nobody at the screen: the wizard answers itself.
    Unattended,
    // The desktop's window (or what the backend was asked to put in its place).
    Window,
    // No window: message boxes and screens are printed, and an idle program closes.
    Terminal,
};

struct OpenedDesktop {
    bool opened = false;
    InstanceHandle instance = nullptr;
    // Why no window could be shown, for the log, when it was not opened.
    std::string noDisplay;
};

struct ProgramEntry {
    // The arguments after the program's name, as UTF-8; nothing when they are no
    // Unicode text.
    std::optional<std::string> arguments;
    // The desktop's language as an ISO 639-1 or POSIX locale name ("fr",
    // "sv_SE.UTF-8"); empty when the system names none.
    std::string language;
    // The operating system and its version, for the log.
    std::string systemDescription;
    // The usage, after the error in the command line when there is one: on the
    // console for an unattended run or where the program has one, else in a box.
    void (*showUsage)(const std::string& error, const std::string& usage, bool unattended);
    OpenedDesktop (*openDesktop)(DesktopKind kind);
    // Ends the desktop openDesktop installed, once the run is over.
    void (*closeDesktop)();
};

// The program once the backend has started: implemented by the application,
// called once by the entry point. Returns the process's exit code.
int programMain(const ProgramEntry& entry);
