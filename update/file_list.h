// The 47 files an update replaces, in package order.
#pragma once

#include <cstddef>

#include "platform/name.h"

struct UpdateFileEntry {
    template <std::size_t N>
    consteval UpdateFileEntry(const char (&fileName)[N], const char* folder)
        : name(fileName), subfolder(folder), file(fileName) {}

    const char* name;
    // Relative to the installation folder, starting and ending with a backslash;
    // "\" is the installation folder itself.
    const char* subfolder;
    // name, as the calls inside a folder take it.
    Name file;
};

inline constexpr int UpdateFileCount = 47;
extern const UpdateFileEntry UpdateFileList[UpdateFileCount];

// The readme entry travels outside the package: the wizard installs the readme of
// the chosen language in its place.
bool isReadmeEntry(int index);
