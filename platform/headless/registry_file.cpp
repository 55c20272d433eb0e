#include "platform/headless/default_registry.h"
#include "platform/regfile/regfile_store.h"

namespace headless {

bool defaultRegistryRead(const char* keyPath, const char* valueName, std::string& value) {
    return regFileRead(keyPath, valueName, value);
}

bool defaultRegistryWrite(const char* keyPath, const char* valueName, const char* text) {
    return regFileWrite(keyPath, valueName, text);
}

bool defaultRegistryFlush(const char* keyPath) {
    return regFileFlush(keyPath);
}

} // namespace headless
