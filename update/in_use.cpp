#include "update/in_use.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "platform/paths.h"
#include "platform/run_log.h"

namespace {

void sleepFor(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace

bool retryWhileInUse(const Folder& folder, const char* name, const std::function<bool()>& attempt) {
    if (attempt()) {
        return true;
    }
    if (!lastFailureWasInUse()) {
        return false;
    }
    const std::string shown = folder.path() + PathSeparator + name;
    runLog("%s is in use by another program; trying again for up to %d s", shown.c_str(),
           in_use::PatienceMilliseconds / 1000);
    int waited = 0;
    for (int pause = 50; waited < in_use::PatienceMilliseconds; pause *= 2) {
        const int step = std::min({pause, 1000, in_use::PatienceMilliseconds - waited});
        in_use::wait(step);
        waited += step;
        if (attempt()) {
            runLog("%s was let go after %d ms", shown.c_str(), waited);
            return true;
        }
        if (!lastFailureWasInUse()) {
            return false;
        }
    }
    const SystemErrorKept kept;
    runLog("%s is still in use after %d s", shown.c_str(), in_use::PatienceMilliseconds / 1000);
    return false;
}

namespace in_use {
void (*wait)(int milliseconds) = sleepFor;
} // namespace in_use

bool moveWhenFree(const Folder& from, const char* fromName, const Folder& to, const char* toName) {
    return retryWhileInUse(from, fromName, [&] { return moveIn(from, fromName, to, toName); });
}

bool removeWhenFree(const Folder& folder, const char* name) {
    return retryWhileInUse(folder, name, [&] { return removeIn(folder, name); });
}
