// Packing "update.patch" beside "update.dat": each entry against the same entry of
// the full package of the version being patched, as a delta made by xdelta3, whole,
// or unchanged.
#pragma once

#include <string>
#include <vector>

#include "update/patch_file.h"

struct PatchPackOptions {
    std::string basePackage;               // the earlier version's update.dat; empty: no patch
    std::vector<std::string> baseVersions; // the versions it fits, as records store them
};

// Writes the patch of the bare-named sources in the current folder to
// temporaryPath; the log says why when it fails.
bool packPatch(const PatchPackOptions& options, const char* temporaryPath);
