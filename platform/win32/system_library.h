// A DLL that is on no known-DLL list, loaded at run time from the system folder
// only: one planted beside the program (often a download folder) is never used.
#pragma once

#include <windows.h>

// Null when the system folder's copy cannot be loaded.
HMODULE loadSystemLibrary(const wchar_t* name);

// The named export of module as a function pointer; false when it is missing.
template <typename Function> bool findExport(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}
