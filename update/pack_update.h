// Packing, as the publisher runs it with -pack.
#pragma once

#include <string>

#include "update/pack_patch.h"

// Builds "update.dat" in the current folder from the bare-named sources there, and
// "update.dat.sha256" beside it; with a base package, "update.patch" too, which the
// digest file then lists.
// release names what the digest file's files install (the program's own version
// text); empty, the digest file names none.
bool packUpdate(const PatchPackOptions& patch = {}, const std::string& release = {});
