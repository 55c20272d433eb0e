#include "platform/headless/default_registry.h"

namespace headless {

bool defaultRegistryRead(const char*, const char*, std::string&) {
    return false;
}

bool defaultRegistryWrite(const char*, const char*, const char*) {
    return false;
}

bool defaultRegistryFlush(const char*) {
    return false;
}

} // namespace headless
