// The command line: the options an administrator gives, in the forms /name[=value]
// and --name[=value], names in any case; and the old "-pack" switch.
#pragma once

#include <string>
#include <vector>

#include "update/pack_patch.h"

struct RunOptions {
    bool silent = false;
    bool help = false;
    bool pack = false;
    bool deleteQuickStart = false;
    // /check: the update's checks only, reading every source and writing nothing.
    bool check = false;
    // -list: what the update folder holds, on standard output. It takes no other
    // option and shows no window, as /silent.
    bool list = false;
    int language = -1;         // a Language, or -1 when not given
    std::string installFolder; // empty: the installation record's "Location"
    std::string logPath;       // empty: no log
    // -pack /base=FILE /baseversion=3.69[,...] ...: also a patch against each
    // package, the n-th /base with the n-th /baseversion.
    std::vector<PatchBase> patchBases;
    std::string error; // why the command line is refused; empty when it is not
};

// Words that are no option are ignored, except that any word holding "-pack"
// (case-sensitive) asks for pack mode, and "-list" asks for the listing; an
// option's value never does.
RunOptions parseCommandLine(const char* text);

const char* usageText();
