#include "app/test_hooks.h"

namespace test_hooks {
bool failMouseAllocation = false;
bool failKeyboardAllocation = false;
bool failApplicationAllocation = false;
} // namespace test_hooks
