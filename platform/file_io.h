// The few file services the standard streams lack: 64-bit positions on every
// system, pushing a file's data to the disk before it is renamed into place, and
// handing the program's paths to std::filesystem.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

// origin is SEEK_SET, SEEK_CUR or SEEK_END.
bool seekFile(std::FILE* file, std::int64_t offset, int origin);
// -1 on failure.
std::int64_t tellFile(std::FILE* file);
// Flushes the stream's buffer and the system's cache of the file to the disk.
bool syncFile(std::FILE* file);
// Asks the system to read the file front to back, once (a hint; may do nothing).
void adviseSequential(std::FILE* file);

// The program's paths are text in the system's narrow encoding, the one fopen, the
// registry and the shell take (the ANSI code page on Windows); std::filesystem
// reads narrow text in an encoding of its own, so paths cross over here.
std::filesystem::path toFsPath(const char* text);
std::string fromFsPath(const std::filesystem::path& path);
