// The few file services the standard streams lack: 64-bit positions on every
// system, pushing files and folders to the disk, replacing a file in one step,
// free space, the system's own words for a failure, and handing the program's
// paths to std::filesystem.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// origin is SEEK_SET, SEEK_CUR or SEEK_END.
bool seekFile(std::FILE* file, std::int64_t offset, int origin);
// -1 on failure.
std::int64_t tellFile(std::FILE* file);
// Flushes the stream's buffer and the system's cache of the file to the disk.
bool syncFile(std::FILE* file);
// Flushes the data of closed files to the disk, with as few calls to the system
// as it allows (one per file system where it can flush a whole one).
bool syncPaths(const std::vector<std::string>& paths);
// Makes the names created, renamed or removed in folder durable (where the system
// needs that asked for separately).
bool syncFolder(const char* folder);
// Renames source to target in one step, replacing target, written through to the
// disk. A target another program holds open without sharing it is a failure.
bool moveReplacing(const char* source, const char* target);
// Bytes the caller may still write on the file system that holds folder; -1 when
// the system cannot tell.
std::int64_t availableBytes(const char* folder);
// The system's text for the failure of the last file call, for the run log.
std::string systemErrorText();
// Opens path for binary reading and keeps it as it is while the stream is open:
// on Windows nobody may write, rename or delete it meanwhile (other readers may
// open it); elsewhere the stream keeps reading the file it opened, whatever is
// renamed over its name. Null on failure.
std::FILE* openLocked(const char* path);
// Asks the system to read the file front to back, once (a hint; may do nothing).
void adviseSequential(std::FILE* file);

// The program's paths are text in the system's narrow encoding, the one fopen, the
// registry and the shell take (the ANSI code page on Windows); std::filesystem
// reads narrow text in an encoding of its own, so paths cross over here.
std::filesystem::path toFsPath(const char* text);
std::string fromFsPath(const std::filesystem::path& path);
