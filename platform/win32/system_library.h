// Libraries that are not among the system's known DLLs are reached at run time
// from the system folder rather than through the import table: a copy planted
// beside the program (a download folder) is never the one used.
#pragma once

#include <windows.h>

// Null when the system folder has no such library.
HMODULE loadSystemLibrary(const wchar_t* name);

template <typename Function>
bool findFunction(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}
