// Packing "update.patch" beside "update.dat": for each earlier release named, each
// entry against the same entry of that release's full package, as a delta made by
// xdelta3, whole, or unchanged.
#pragma once

#include <string>
#include <vector>

#include "update/patch_file.h"

struct PatchBase {
    std::string package;               // the earlier release's update.dat
    std::vector<std::string> versions; // the versions it fits, as records store them
};

struct PatchPackOptions {
    std::vector<PatchBase> bases; // none: no patch
};

// Writes the patch of the bare-named sources in the current folder to
// temporaryPath; the log says why when it fails.
bool packPatch(const PatchPackOptions& options, const char* temporaryPath);
