// The 47 files an update replaces, in package order.
#pragma once

#include <cstddef>

struct UpdateFileEntry {
    const char* name;
    // Relative to the installation folder, starting and ending with a backslash;
    // "\" is the installation folder itself.
    const char* subfolder;
};

inline constexpr int UpdateFileCount = 47;
extern const UpdateFileEntry UpdateFileList[UpdateFileCount];

// The readme entry travels outside the package: the wizard installs the readme of
// the chosen language in its place.
bool isReadmeEntry(int index);
