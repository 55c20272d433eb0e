#include "update/install_record.h"

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

constexpr const char* KeyPrefix = "Software\\Brackwater Ltd\\";

} // namespace

bool readInstallValue(const char* subkey, const char* valueName, std::string& value) {
    if (subkey == nullptr || valueName == nullptr) {
        return false;
    }
    const std::string keyPath = std::string(KeyPrefix) + subkey;
    return platform().readRegistryString(keyPath.c_str(), valueName, value);
}

bool readInstallValue(const char* subkey, const char* valueName, char* buffer,
                      std::uint32_t bufferSize) {
    std::string value;
    if (buffer == nullptr || !readInstallValue(subkey, valueName, value) ||
        value.size() >= bufferSize) {
        return false;
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return true;
}

bool writeInstallValue(const char* subkey, const char* valueName, const char* text) {
    if (subkey == nullptr || valueName == nullptr || text == nullptr) {
        return false;
    }
    const std::string keyPath = std::string(KeyPrefix) + subkey;
    return platform().writeRegistryString(keyPath.c_str(), valueName, text);
}

bool flushInstallRecord(const char* subkey) {
    if (platform().flushRegistryKey == nullptr) {
        return true;
    }
    const std::string keyPath = std::string(KeyPrefix) + subkey;
    return platform().flushRegistryKey(keyPath.c_str());
}
