// The installation record a headless desktop uses unless its configuration
// names another: the record file where the system has no registry, nothing
// where it has one (the program then passes the real registry).
#pragma once

#include <string>

namespace headless {
bool defaultRegistryRead(const char* keyPath, const char* valueName, std::string& value);
bool defaultRegistryWrite(const char* keyPath, const char* valueName, const char* text);
bool defaultRegistryFlush(const char* keyPath);
} // namespace headless
