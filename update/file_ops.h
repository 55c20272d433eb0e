// File replacement that never leaves a half-written file where a good one stood.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Clears the read-only attribute (owner read and write). False when no regular
// file stands there (a link is never followed) or its permissions cannot be changed.
bool makeWritable(const char* path);

// Removes whatever file or link stands at path, then creates path new for binary
// writing: what the program writes under its own working names never lands where
// a planted link points. Null, with the system's error kept, on failure.
std::FILE* createFresh(const char* path);

// Renames source over target, making a read-only target writable only if that is
// what stops the rename. False, with both left as they were, on failure.
bool replaceWith(const char* source, const char* target);

// The whole of a regular file of at most maxBytes into text; false for anything
// else (missing, a link, a FIFO, a device, too long).
bool readSmallFile(const char* path, std::int64_t maxBytes, std::string& text);

// Whether anything, a dangling link included, stands at path.
bool standsAt(const char* path);
