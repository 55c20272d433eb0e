// File replacement that never leaves a half-written file where a good one stood.
#pragma once

// Clears the read-only attribute (owner read and write). False when the file
// does not exist or its permissions cannot be changed.
bool makeWritable(const char* path);

// Moves source to target, replacing target in one step: a rename, or where source
// and target lie on different filesystems a copy to a temporary file beside the
// target, flushed, renamed into place, then the source removed. On failure target
// and source are as they were and no temporary file is left.
bool moveFileReplacing(const char* source, const char* target);

// Renames source over target, making a read-only target writable only if that is
// what stops the rename. False, with both left as they were, on failure.
bool replaceWith(const char* source, const char* target);
