// The update package "update.dat": a table of 47 little-endian 32-bit sizes, then
// every body except the readme's, back to back.
#pragma once

#include <cstdint>

#include "update/pack_patch.h"

inline constexpr const char* PackageFileName = "update.dat";
inline constexpr int PackageTableBytes = 188;

// Entry index's body size in a package table.
std::uint32_t packageTableCount(const unsigned char* table, int index);

// Builds "update.dat" in the current folder from the bare-named sources there, and
// "update.dat.sha256" beside it; with a base package, "update.patch" too, which the
// digest file then lists.
// release names what the digest file's files install (the program's own version
// text); empty, the digest file names none.
bool packUpdate(const PatchPackOptions& patch = {}, const std::string& release = {});

// Writes entry index of "update.dat" in the current folder to targetPath, through a
// temporary file renamed into place; the caller flushes it when it must be durable.
// On failure packageBad tells the package's fault (true) from the target's (false),
// and whatever stood at targetPath is as it was.
bool extractEntry(int index, const char* targetPath, bool& packageBad);
