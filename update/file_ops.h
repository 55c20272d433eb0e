// Files of the update's own making, and the small ones it reads whole.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_io.h"

// Removes whatever file or link stands at name in the private folder, then
// creates it new for binary writing: what the program writes under its own
// working names never lands where a planted link points. Not open, with the
// system's error, on failure.
File createFreshIn(const PrivateFolder& folder, const Name& name);

// The whole of a regular file of at most maxBytes into text; false for anything
// else (missing, a link, a FIFO, a device, too long).
bool readSmallFile(const Folder& folder, const Name& name, std::int64_t maxBytes, std::string& text,
                   Source source = Source::Own);
