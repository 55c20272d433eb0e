// File replacement that never leaves a half-written file where a good one stood.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class Folder;

// Removes whatever file or link stands at path, then creates path new for binary
// writing: what the program writes under its own working names never lands where
// a planted link points. Null, with the system's error kept, on failure.
std::FILE* createFresh(const char* path);
// The same for name inside folder.
std::FILE* createFreshIn(const Folder& folder, const char* name);

// Renames source over target. False, with both left as they were, on failure.
bool replaceWith(const char* source, const char* target);

// The whole of a regular file of at most maxBytes into text; false for anything
// else (missing, a link, a FIFO, a device, too long).
bool readSmallFile(const Folder& folder, const char* name, std::int64_t maxBytes,
                   std::string& text);
