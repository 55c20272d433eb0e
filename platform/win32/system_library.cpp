#include "platform/win32/system_library.h"

#include <string>

HMODULE loadSystemLibrary(const wchar_t* name) {
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {
        return module;
    }
    // Vista and 7 without the update that brought LOAD_LIBRARY_SEARCH_SYSTEM32: the
    // full path of the system folder's copy says the same.
    const UINT size = GetSystemDirectoryW(nullptr, 0);
    std::wstring path(size, L'\0');
    const UINT length = size == 0 ? 0 : GetSystemDirectoryW(path.data(), size);
    if (length == 0 || length >= size) {
        return nullptr;
    }
    path.resize(length);
    path = path + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
