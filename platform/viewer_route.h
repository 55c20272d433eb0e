// Who the desktop's viewer runs as when Finish opens the installed readme. The
// program may run elevated on behalf of an ordinary user (Windows' elevation
// prompt, sudo, pkexec); the viewer must not inherit that, or the user's editor
// would hand out an administrator's Open dialog.
#pragma once

#include <string>

struct ViewerRoute {
    // False: the readme is not opened at all (description says why).
    bool open = true;
    // The account the viewer is started as; -1 keeps this process's own.
    long userId = -1;
    // Windows, elevated: the desktop's own shell is asked to open it instead.
    bool throughDesktopShell = false;
    // For the log and the headless desktop's record.
    std::string description;
};

// The route for this process, from its own rights (and on Linux the variables
// sudo and pkexec leave).
ViewerRoute viewerRoute();

// The rule behind viewerRoute on Linux (defined there only): effectiveUser is the process's
// effective user id; sudoUser and pkexecUser are SUDO_UID and PKEXEC_UID (null when unset).
ViewerRoute viewerRouteFor(unsigned long effectiveUser, const char* sudoUser,
                           const char* pkexecUser);
