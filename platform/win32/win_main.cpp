#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/entry.h"
#include "platform/file_io.h"
#include "platform/win32/unattended.h"
#include "platform/win32/win32_platform.h"

namespace {

HINSTANCE programInstance = nullptr;

// On the console for /silent, where a script reads it; in a box otherwise.
void showUsage(const std::string& error, const std::string& usage, bool unattended) {
    const std::string text = error.empty() ? usage : error + "\n\n" + usage;
    if (unattended) {
        win32::attachParentConsole();
        writeStandardText(stdout, text);
    } else {
        win32::messageBox("Tactico Update", text.c_str());
    }
}

OpenedDesktop openDesktop(DesktopKind kind) {
    if (kind == DesktopKind::Unattended) {
        win32::attachParentConsole();
        headless::install(win32::unattendedDesktop());
    } else {
        win32::install(programInstance);
    }
    return {true, programInstance, ""};
}

void closeDesktop() {}

// The arguments after the program's name, as UTF-8: WinMain's own are ANSI text,
// in which a name outside the code page has become another name or question
// marks. The program's name ends where the C runtime ends it for WinMain.
// Nothing when the line is no Unicode text.
std::optional<std::string> argumentText() {
    std::wstring_view line = GetCommandLineW();
    std::size_t at = 0;
    for (bool quoted = false; at < line.size() && (line[at] > L' ' || quoted); ++at) {
        quoted = line[at] == L'"' ? !quoted : quoted;
    }
    while (at < line.size() && line[at] <= L' ') {
        ++at;
    }
    return win32::utf8FromWide(line.substr(at));
}

// The program runs elevated, often from a download folder anyone may write to: a
// DLL planted beside it must never be loaded. Only the system folder is searched
// from here on. Systems without SetDefaultDllDirectories (Vista, 7 without its
// update) at least lose the current folder from the search.
void loadDllsFromSystemFolderOnly() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto setDefault =
        kernel == nullptr
            ? nullptr
            : reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                  reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryW(L"");
    }
}

// Runs when the loader attaches the program, before the C++ runtime's constructors
// (the stack protector's among them, which asks the system's crypto providers for
// its canary and so loads DLLs of theirs): nothing is searched for beside the
// program, not even before WinMain.
void NTAPI restrictDllSearchAtAttach(PVOID, DWORD reason, PVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        loadDllsFromSystemFolderOnly();
    }
}

} // namespace

// The loader calls every pointer in the .CRT$XL* sections at process attach.
extern "C" __attribute__((section(".CRT$XLB"), used))
const PIMAGE_TLS_CALLBACK tacticoRestrictDllSearch = restrictDllSearchAtAttach;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand) {
    loadDllsFromSystemFolderOnly();
    // The window's show mode is the application's choice, not the caller's.
    (void)previousInstance;
    (void)showCommand;
    programInstance = instance;
    ProgramEntry entry;
    entry.arguments = argumentText();
    entry.language = win32::userInterfaceLanguage();
    entry.systemDescription = win32::systemDescription();
    entry.showUsage = showUsage;
    entry.openDesktop = openDesktop;
    entry.closeDesktop = closeDesktop;
    return programMain(entry);
}
