// Copying a counted run of bytes between open streams through one bounded buffer,
// so memory never grows with the size of a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

inline constexpr std::size_t CopyBufferBytes = std::size_t{1} << 20;

// Null when the buffer cannot be had.
std::unique_ptr<unsigned char[]> makeCopyBuffer();

enum class CopyResult { Done, SourceShort, WriteFailed };

class Sha256;

// hash, when given, takes every byte copied.
CopyResult copyBytes(std::FILE* source, std::FILE* target, std::uint64_t count,
                     unsigned char* buffer, Sha256* hash = nullptr);

// Removes a file (a link itself, not its target), ignoring any failure (used to
// drop temporary files).
void removeQuietly(const char* path);

// target + a fixed suffix: the name a half-written replacement of target has. It is
// the same on every attempt, so a rerun overwrites what an interrupted one left.
std::string temporaryPathFor(const char* target);
