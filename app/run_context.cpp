#include "app/run_context.h"

#include "wizard/texts.h"

namespace run_context {
RunOptions options;
int systemLanguage = English;
std::string platformDescription;
PackResult packResult = PackResult::NotAsked;
} // namespace run_context

int silentLanguage() {
    return run_context::options.language >= 0 ? run_context::options.language
                                              : run_context::systemLanguage;
}
