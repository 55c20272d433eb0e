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
bool retryWhileInUse(const Folder& folder, const char* name, const std::function<bool()>& attempt);
// moveIn and removeIn, tried again while the file is in use; the log says what
// waited and for how long. The system's error of the last try stays for the caller.
bool moveWhenFree(const Folder& from, const char* fromName, const Folder& to, const char* toName);
bool removeWhenFree(const Folder& folder, const char* name);
