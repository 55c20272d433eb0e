// Where a program named without a folder is run from.
#pragma once

#include <string>

// name's file in the PATH's absolute folders (/usr/bin:/bin without a PATH): an
// empty or relative entry would run whatever sits in the current folder. Empty
// when there is none.
std::string programOnPath(const std::string& name);
