#include <cstring>

#include "platform/win32/win32_platform.h"

namespace win32 {
namespace {

// The game's installer is a 32-bit program, so on 64-bit Windows its record lies
// in the 32-bit view of the registry, which a 64-bit program does not see by
// default. Look there first, then in the native view (where a record written by
// a 64-bit tool would be). On 32-bit Windows both flags are ignored.
constexpr REGSAM Views[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};

bool openRecord(const char* keyPath, REGSAM access, HKEY* key) {
    for (REGSAM view : Views) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, access | view, key) == ERROR_SUCCESS) {
            return true;
        }
    }
    return false;
}

} // namespace

bool readRegistryString(const char* keyPath, const char* valueName, char* buffer,
                        std::uint32_t bufferSize) {
    if (bufferSize == 0) {
        return false;
    }
    HKEY key;
    // A record this account may read but not change counts as not found: found,
    // it would lead to the version screen and a whole staged update before the
    // write of the new version fails. Write access is all it needs beyond reading.
    if (!openRecord(keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE, &key)) {
        return false;
    }
    DWORD type = REG_SZ;
    DWORD size = bufferSize;
    const LONG result =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    // Anything but a string would be read as text, and the registry does not
    // promise a terminator when the writer left it out. An expandable string is
    // still a string; its %VARIABLES% are not expanded.
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ;
    if (result != ERROR_SUCCESS || !text || size > bufferSize) {
        return false;
    }
    if (size == 0) {
        buffer[0] = '\0';
        return true;
    }
    if (buffer[size - 1] != '\0') {
        if (size == bufferSize) {
            return false;
        }
        buffer[size] = '\0';
    }
    return true;
}

bool writeRegistryString(const char* keyPath, const char* valueName, const char* text) {
    HKEY key;
    // The registry returns its errors instead of setting them; the log reads them
    // as the last error, as it does every other failure's.
    if (!openRecord(keyPath, KEY_SET_VALUE, &key)) {
        const LONG created =
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS | Views[0], nullptr, &key, nullptr);
        if (created != ERROR_SUCCESS) {
            SetLastError(static_cast<DWORD>(created));
            return false;
        }
    }
    const auto length = static_cast<DWORD>(std::strlen(text) + 1);
    const LONG result =
        RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), length);
    RegCloseKey(key);
    SetLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

} // namespace win32
