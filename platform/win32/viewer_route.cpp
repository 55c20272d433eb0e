#include "platform/viewer_route.h"

#include <windows.h>

namespace {

// Whether this process holds an administrator's full rights (the elevation
// prompt's). On a system without elevation there is nothing to hand back.
bool elevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool known =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != 0;
    CloseHandle(token);
    return known && elevation.TokenIsElevated != 0;
}

} // namespace

ViewerRoute viewerRoute() {
    ViewerRoute route;
    route.throughDesktopShell = elevated();
    route.description = route.throughDesktopShell
                            ? "through the desktop's shell, as the desktop's user"
                            : "as this program's own user";
    return route;
}
