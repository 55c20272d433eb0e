// Another program may hold a file of the installation for a moment (a virus
// scanner, the search indexer, a sync client): it lets go within seconds, so a
// rename or removal refused for that is tried again for a while before the update
// gives up on it.
#pragma once

#include <functional>

#include "platform/file_io.h"

namespace in_use {
// How long a file may stay in use before the update gives up on it.
inline constexpr int PatienceMilliseconds = 5000;
// How the retries wait; a test counts instead of sleeping.
extern void (*wait)(int milliseconds);
} // namespace in_use

// Tries attempt, on name in folder, again while it fails because the file is in
// use, until it succeeds, fails otherwise, or PatienceMilliseconds have passed.
// The log says what waited and for how long. The last try's status is returned
// and, for the caller's log, left as the system's error.
Status retryWhileInUse(const Folder& folder, const Name& name,
                       const std::function<Status()>& attempt);

// moveIn and removeIn, tried again while the file is in use.
template <typename From, typename To>
Status moveWhenFree(const From& from, const Name& fromName, const To& to, const Name& toName) {
    return retryWhileInUse(from, fromName, [&] { return moveIn(from, fromName, to, toName); });
}
Status removeWhenFree(const Folder& folder, const Name& name);
