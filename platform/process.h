// Running a helper program to its end, and a scratch folder of the program's own:
// what packing a patch needs from the system.
#pragma once

#include <string>
#include <vector>

// Runs arguments[0], found on the PATH alone (never in the current folder), with
// the rest as its arguments, and waits for it. Its exit code; -1 when it could not
// be started (typically: it is not installed).
int runProgram(const std::vector<std::string>& arguments);

// A new, empty folder in the system's temporary folder that only this account
// can use; empty when none can be made.
std::string createPrivateFolder(const char* prefix);
