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

Status retryWhileInUse(const Folder& folder, const Name& name,
                       const std::function<Status()>& attempt) {
    Status status = attempt();
    if (status || !status.inUse()) {
        return status;
    }
    const std::string shown = folder.path() + PathSeparator + name.str();
    runLog("%s is in use by another program; trying again for up to %d s", shown.c_str(),
           in_use::PatienceMilliseconds / 1000);
    int waited = 0;
    for (int pause = 50; waited < in_use::PatienceMilliseconds; pause *= 2) {
        const int step = std::min({pause, 1000, in_use::PatienceMilliseconds - waited});
        in_use::wait(step);
        waited += step;
        status = attempt();
        if (status) {
            runLog("%s was let go after %d ms", shown.c_str(), waited);
            return status;
        }
        if (!status.inUse()) {
            return status;
        }
    }
    const SystemErrorKept kept;
    runLog("%s is still in use after %d s", shown.c_str(), in_use::PatienceMilliseconds / 1000);
    return status;
}

namespace in_use {
void (*wait)(int milliseconds) = sleepFor;
} // namespace in_use

Status removeWhenFree(const Folder& folder, const Name& name) {
    return retryWhileInUse(folder, name, [&] { return removeIn(folder, name); });
}
