// The few file services the standard streams lack: 64-bit positions on every
// system, and pushing a file's data to the disk before it is renamed into place.
#pragma once

#include <cstdint>
#include <cstdio>

// origin is SEEK_SET, SEEK_CUR or SEEK_END.
bool seekFile(std::FILE* file, std::int64_t offset, int origin);
// -1 on failure.
std::int64_t tellFile(std::FILE* file);
// Flushes the stream's buffer and the system's cache of the file to the disk.
bool syncFile(std::FILE* file);
// Asks the system to read the file front to back, once (a hint; may do nothing).
void adviseSequential(std::FILE* file);
