#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "app/bwio.h"
#include "app/command_line.h"
#include "app/run_context.h"
#include "platform/file_io.h"
#include "platform/win32/unattended.h"
#include "platform/win32/win32_platform.h"

namespace {

// On the console for /silent, where a script reads it; in a box otherwise.
int showUsage(const RunOptions& options) {
    std::string text = usageText();
    if (!options.error.empty()) {
        text = options.error + "\n\n" + text;
    }
    if (options.silent) {
        writeStandardText(stdout, text);
    } else {
        win32::messageBox("Tactico Update", text.c_str());
    }
    return options.error.empty() ? ExitUpdated : ExitBadCommandLine;
}

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
    const std::optional<std::string> arguments = argumentText();
    const std::string commandLine = arguments.value_or(std::string());
    RunOptions options = parseCommandLine(commandLine.c_str());
    if (!arguments) {
        options.error = "the command line holds text that is no Unicode: it is not read";
    }
    if (options.silent) {
        win32::attachParentConsole();
    }
    if (options.help || !options.error.empty()) {
        return showUsage(options);
    }
    run_context::systemLanguage = win32::userInterfaceLanguage();
    run_context::platformDescription = win32::systemDescription();
    if (options.silent) {
        headless::install(win32::unattendedDesktop());
    } else {
        win32::install(instance);
    }
    return runApplication(instance, commandLine.c_str());
}
