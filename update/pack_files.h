// Files by path for the publisher's packing, which runs in a folder the publisher
// chose and writes its results beside their sources. The update never uses these.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/path_io.h"
#include "platform/sha256.h"
#include "update/copy_bytes.h"

// Removes whatever file or link stands at path, then creates path new for binary
// writing. Null, with the system's error kept, on failure.
std::FILE* createFresh(const char* path);
// Renames source over target. False, with both left as they were, on failure.
bool replaceWith(const char* source, const char* target);
// Removes a file (a link itself, not its target), ignoring any failure (used to
// drop temporary files).
void removeQuietly(const char* path);
// target + a fixed suffix: the name a half-written replacement of target has. It is
// the same on every attempt, so a rerun overwrites what an interrupted one left.
std::string temporaryPathFor(const char* target);

// hash, when given, takes every byte copied.
CopyResult copyBytes(std::FILE* source, std::FILE* target, std::uint64_t count,
                     unsigned char* buffer, Sha256* hash = nullptr);
// SHA-256 of a whole file; nothing when it cannot be read.
std::optional<Sha256Digest> digestOfFile(const char* path);
