// File replacement that never leaves a half-written file where a good one stood.
#pragma once

#include <cstdint>

// Clears the read-only attribute (owner read and write). False when the file
// does not exist or its permissions cannot be changed.
bool makeWritable(const char* path);

// Renames source over target, making a read-only target writable only if that is
// what stops the rename. False, with both left as they were, on failure.
bool replaceWith(const char* source, const char* target);
