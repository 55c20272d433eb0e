#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace {
const PlatformOps* selected = nullptr;
}

void selectPlatform(const PlatformOps* ops) { selected = ops; }

const PlatformOps& platform() {
    if (selected == nullptr) {
        std::fputs("tactico-update: no platform backend selected\n", stderr);
        std::abort();
    }
    return *selected;
}
