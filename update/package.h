// The update package "update.dat": a table of 47 little-endian 32-bit sizes, then
// every body except the readme's, back to back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update/file_list.h"

inline constexpr Name PackageFile = "update.dat";
inline constexpr const char* PackageFileName = PackageFile.c_str();
inline constexpr int PackageTableBytes = 188;

struct PackageTable {
    std::uint32_t counts[UpdateFileCount] = {};
    // Of each body in the package.
    std::int64_t offsets[UpdateFileCount] = {};
};

// The table at the start of a package of length bytes, when its bodies fill the
// package exactly and the readme's entry has none; nothing, with why saying which
// check failed, otherwise.
std::optional<PackageTable> readPackageTable(const unsigned char (&table)[PackageTableBytes],
                                             std::int64_t length, std::string& why);
