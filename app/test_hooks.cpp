#include "app/test_hooks.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/run_log.h"
#include "update/commit.h"

namespace test_hooks {
bool failMouseAllocation = false;
bool failKeyboardAllocation = false;
bool failApplicationAllocation = false;

namespace {
int pauseAfter = 0;

bool pauseAt(int count) {
    if (count == pauseAfter) {
        runLog("Test pause after operation %d", count);
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
    return false;
}
} // namespace

void pauseCommitsAsAsked() {
    const char* value = std::getenv("TACTICO_TEST_PAUSE_AFTER");
    pauseAfter = value != nullptr ? std::atoi(value) : 0;
    if (pauseAfter > 0) {
        commit_hooks::afterOperation = pauseAt;
    }
}
} // namespace test_hooks
