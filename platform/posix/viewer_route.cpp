#include "platform/viewer_route.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace {

// A user number as sudo and pkexec write it: decimal digits only.
bool parseUserId(const char* text, long& id) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > 0x7fffffffUL) {
        return false;
    }
    id = static_cast<long>(value);
    return true;
}

} // namespace

ViewerRoute viewerRouteFor(unsigned long effectiveUser, const char* sudoUser,
                           const char* pkexecUser) {
    ViewerRoute route;
    if (effectiveUser != 0) {
        route.description = "as this program's own user";
        return route;
    }
    // pkexec may itself run under sudo's variables; its own is the nearer caller.
    const char* variable = pkexecUser != nullptr ? "PKEXEC_UID" : "SUDO_UID";
    const char* text = pkexecUser != nullptr ? pkexecUser : sudoUser;
    if (text == nullptr) {
        route.description = "as root, the desktop's own user";
        return route;
    }
    long id = -1;
    if (!parseUserId(text, id)) {
        route.open = false;
        route.description = std::string("not opened: ") + variable + " \"" + text +
                            "\" names no user, and root's viewer would run with root's rights";
        return route;
    }
    route.userId = id == 0 ? -1 : id;
    route.description = id == 0 ? std::string("as root, the desktop's own user")
                                : "as user " + std::to_string(id) + " (" + variable + ")";
    return route;
}

ViewerRoute viewerRoute() {
    return viewerRouteFor(static_cast<unsigned long>(geteuid()), std::getenv("SUDO_UID"),
                          std::getenv("PKEXEC_UID"));
}
