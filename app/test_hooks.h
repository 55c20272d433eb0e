// Switches that let tests reach the start-up paths a healthy machine never takes.
// Nothing outside tests sets them.
#pragma once

namespace test_hooks {
// The next allocations of these objects yield null, as when memory is short.
extern bool failMouseAllocation;
extern bool failKeyboardAllocation;
extern bool failApplicationAllocation;

// With TACTICO_TEST_PAUSE_AFTER=<n> in the environment, a commit, undo or recovery
// logs "Test pause after operation <n>" after its n-th change to the disk and then
// waits, for a test to end the whole system there as a power cut would.
void pauseCommitsAsAsked();
} // namespace test_hooks
