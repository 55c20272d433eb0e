#include "update/install_record.h"

#include <string>

#include "platform/platform.h"

namespace {

constexpr const char* KeyPrefix = "Software\\Brackwater Ltd\\";

} // namespace

bool readInstallValue(const char* subkey, const char* valueName, char* buffer,
                      std::uint32_t bufferSize) {
    if (subkey == nullptr || valueName == nullptr || buffer == nullptr) {
        return false;
    }
    const std::string keyPath = std::string(KeyPrefix) + subkey;
    return platform().readRegistryString(keyPath.c_str(), valueName, buffer, bufferSize);
}

bool writeInstallValue(const char* subkey, const char* valueName, const char* text) {
    if (subkey == nullptr || valueName == nullptr || text == nullptr) {
        return false;
    }
    const std::string keyPath = std::string(KeyPrefix) + subkey;
    return platform().writeRegistryString(keyPath.c_str(), valueName, text);
}
