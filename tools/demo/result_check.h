// Checks an installation after the demo update: every file replaced byte for
// byte, the chosen readme moved into place, the new version recorded, and
// nothing left behind that the update did not mean to leave.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/sample_setup.h"

namespace demo {

enum class QuickStartOutcome { Deleted, Kept, Either };

struct CheckResult {
    int filesReplaced = 0;
    std::vector<std::string> problems;
    bool ok() const { return problems.empty(); }
};

// Reads the installation record through the selected platform.
CheckResult checkUpdatedInstallation(const DemoFolders& folders, int language,
                                     QuickStartOutcome quickStart);

} // namespace demo
