// What the wizard checks of the package before it touches the installation.
#pragma once

#include <cstdint>
#include <string>

#include "update/file_list.h"

struct PackageCheck {
    bool sound = false;
    // What went wrong, for the run log; empty when sound.
    std::string problem;
    // Each entry's body size as the package's table gives it.
    std::uint32_t counts[UpdateFileCount] = {};
};

// "update.dat" in the current folder must be exactly its table plus the bodies the
// table counts, and must match "update.dat.sha256" where one lies beside it.
PackageCheck checkPackage();
