// Switches that let tests reach the start-up paths a healthy machine never takes.
// Nothing outside tests sets them.
#pragma once

namespace test_hooks {
// The next allocations of these objects yield null, as when memory is short.
extern bool failMouseAllocation;
extern bool failKeyboardAllocation;
extern bool failApplicationAllocation;
} // namespace test_hooks
