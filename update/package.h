// The update package "update.dat": a table of 47 little-endian 32-bit sizes, then
// every body except the readme's, back to back.
#pragma once

#include <cstdint>

inline constexpr const char* PackageFileName = "update.dat";
inline constexpr int PackageTableBytes = 188;

// Builds "update.dat" in the current folder from the bare-named sources there.
bool packUpdate();

// Writes entry index of "update.dat" in the current folder to targetPath. On
// failure packageBad tells the package's fault (true) from the target's (false).
bool extractEntry(int index, const char* targetPath, bool& packageBad);
