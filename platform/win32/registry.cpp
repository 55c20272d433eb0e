#include <string_view>
#include <vector>

#include "platform/run_log.h"
#include "platform/win32/win32_platform.h"

namespace win32 {
namespace {

// The game's installer is a 32-bit program, so on 64-bit Windows its record lies
// in the 32-bit view of the registry, which a 64-bit program does not see by
// default. Look there first, then in the native view (where a record written by
// a 64-bit tool would be). On 32-bit Windows both flags are ignored.
constexpr REGSAM Views[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};

bool openRecord(const std::wstring& keyPath, REGSAM access, HKEY* key) {
    for (REGSAM view : Views) {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, access | view, key) ==
            ERROR_SUCCESS) {
            return true;
        }
    }
    return false;
}

} // namespace

bool readRegistryString(const char* keyPath, const char* valueName, std::string& value) {
    HKEY key;
    // A record this account may read but not change counts as not found: found,
    // it would lead to the version screen and a whole staged update before the
    // write of the new version fails. Write access is all it needs beyond reading.
    if (!openRecord(wideFromUtf8(keyPath), KEY_QUERY_VALUE | KEY_SET_VALUE, &key)) {
        return false;
    }
    const std::wstring name = wideFromUtf8(valueName);
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<wchar_t> data;
    if (result == ERROR_SUCCESS) {
        // The value may grow between two calls.
        do {
            data.assign(size / sizeof(wchar_t) + 1, L'\0');
            size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
            result = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &size);
        } while (result == ERROR_MORE_DATA);
    }
    RegCloseKey(key);
    // Anything but a string would be read as text. An expandable string is still
    // a string; its %VARIABLES% are not expanded.
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    // The registry does not promise a terminator when the writer left it out.
    std::wstring_view text(data.data(), size / sizeof(wchar_t));
    text = text.substr(0, text.find(L'\0'));
    std::optional<std::string> utf8 = utf8FromWide(text);
    if (!utf8) {
        runLog("The installation record's \"%s\" is no Unicode text and is not used", valueName);
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    value = std::move(*utf8);
    return true;
}

bool writeRegistryString(const char* keyPath, const char* valueName, const char* text) {
    const std::wstring wideKey = wideFromUtf8(keyPath);
    const std::wstring wideName = wideFromUtf8(valueName);
    const std::wstring wideText = wideFromUtf8(text);
    // Malformed UTF-8 converts to nothing: an empty value in its place would
    // still be a value.
    if (wideText.empty() && *text != '\0') {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    HKEY key;
    // The registry returns its errors instead of setting them; the log reads them
    // as the last error, as it does every other failure's.
    if (!openRecord(wideKey, KEY_SET_VALUE, &key)) {
        const LONG created = RegCreateKeyExW(HKEY_LOCAL_MACHINE, wideKey.c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | Views[0],
                                             nullptr, &key, nullptr);
        if (created != ERROR_SUCCESS) {
            SetLastError(static_cast<DWORD>(created));
            return false;
        }
    }
    const auto bytes = static_cast<DWORD>((wideText.size() + 1) * sizeof(wchar_t));
    const LONG result = RegSetValueExW(key, wideName.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(wideText.c_str()), bytes);
    RegCloseKey(key);
    SetLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

bool flushRegistryKey(const char* keyPath) {
    HKEY key;
    if (!openRecord(wideFromUtf8(keyPath), KEY_QUERY_VALUE, &key)) {
        return false;
    }
    const LONG result = RegFlushKey(key);
    RegCloseKey(key);
    SetLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

} // namespace win32
