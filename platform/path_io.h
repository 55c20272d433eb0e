// Files by path, for the publisher's packing, the tools and the tests: whoever
// runs them chose every path. The update itself never opens anything by path
// (its sources are built so that they cannot): it works through the folders and
// names of platform/file_io.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_io.h"

// origin is SEEK_SET, SEEK_CUR or SEEK_END.
bool seekFile(std::FILE* file, std::int64_t offset, int origin);
// -1 on failure.
std::int64_t tellFile(std::FILE* file);
// std::fopen for the program's UTF-8 paths (fopen itself takes the ANSI code page
// on Windows).
std::FILE* openFile(const char* path, const char* mode);
// Asks the system to read the file front to back, once (a hint; may do nothing).
void adviseSequential(std::FILE* file);
// The same as an owning File: not open, with the system's error, on failure.
File openPath(const char* path, const char* mode);
// stream, open however its owner chose (in memory, say), as an owning File.
File fileOf(std::FILE* stream);
// Flushes the stream's buffer and the system's cache of the file to the disk.
bool syncFile(std::FILE* file);
// Creates path as a new file for binary writing; null (errno / last error set)
// when anything, a dangling link included, already stands there. The last name
// only is never followed as a link.
std::FILE* createNewFile(const char* path);
// Removes what stands at path (a link itself, never its target; no folder). True
// when nothing stands there afterwards.
bool removeEntry(const char* path);

// std::filesystem reads narrow text in an encoding of its own (the ANSI code page
// on Windows), so the program's UTF-8 paths cross over here. A name that is no
// Unicode text (a lone surrogate on Windows) crosses as an empty path.
std::filesystem::path toFsPath(const char* text);
std::string fromFsPath(const std::filesystem::path& path);
