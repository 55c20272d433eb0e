// "update.dat.sha256": the package's SHA-256 in the form sha256sum writes and
// checks ("<64 hex>  update.dat"), so publishers and administrators can verify a
// package with the same file the wizard uses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sha256.h"

inline constexpr const char* DigestFileName = "update.dat.sha256";
// Its one line is under a hundred bytes; anything far longer is not a digest file.
inline constexpr std::int64_t DigestFileMaxBytes = 4096;

std::string digestToHex(const Sha256Digest& digest);
// The line the digest file holds for the package.
std::string digestFileText(const Sha256Digest& digest);
// The digest a digest file names for "update.dat"; nothing when the text is not a
// line of that form (a digest for another file counts as no digest).
std::optional<Sha256Digest> parseDigestFile(const std::string& text);

// SHA-256 of a whole file; nothing when it cannot be read.
std::optional<Sha256Digest> digestOfFile(const char* path);
