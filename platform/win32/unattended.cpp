#include "platform/win32/unattended.h"

#include <cstdio>

#include "platform/win32/win32_platform.h"

namespace win32 {
namespace {

bool usable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

struct PrimaryLanguage {
    WORD id;
    const char* name;
};
// The languages the wizard has texts in, by their ISO 639-1 names.
constexpr PrimaryLanguage PrimaryLanguages[] = {
    {LANG_ENGLISH, "en"},   {LANG_SPANISH, "es"},    {LANG_FRENCH, "fr"},  {LANG_ITALIAN, "it"},
    {LANG_NORWEGIAN, "no"}, {LANG_PORTUGUESE, "pt"}, {LANG_SWEDISH, "sv"}, {LANG_DUTCH, "nl"},
};

} // namespace

void attachParentConsole() {
    const bool output = usable(STD_OUTPUT_HANDLE);
    const bool errors = usable(STD_ERROR_HANDLE);
    if ((output && errors) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!output) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (!errors) {
        std::freopen("CONOUT$", "w", stderr);
    }
}

std::string userInterfaceLanguage() {
    const WORD primary = PRIMARYLANGID(GetUserDefaultUILanguage());
    for (const PrimaryLanguage& entry : PrimaryLanguages) {
        if (entry.id == primary) {
            return entry.name;
        }
    }
    return "";
}

// A procedure looked up by name, as the type it has.
template <typename Call> Call procedure(HMODULE module, const char* name) {
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::string systemDescription() {
    // GetVersionEx answers what the program's manifest lets it know; ntdll tells
    // the truth, and under Wine also names Wine.
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
    using WineVersionCall = const char*(CDECL*)();
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    const auto rtlGetVersion =
        ntdll != nullptr ? procedure<RtlGetVersionCall>(ntdll, "RtlGetVersion") : nullptr;
    const auto wineVersion =
        ntdll != nullptr ? procedure<WineVersionCall>(ntdll, "wine_get_version") : nullptr;
    char text[96] = "Windows";
    if (rtlGetVersion != nullptr && rtlGetVersion(&version) == 0) {
        std::snprintf(text, sizeof text, "Windows %lu.%lu.%lu", version.dwMajorVersion,
                      version.dwMinorVersion, version.dwBuildNumber);
    }
    std::string description = text;
    if (wineVersion != nullptr) {
        description.append(" (Wine ").append(wineVersion()).append(")");
    }
    return description;
}

headless::DesktopConfig unattendedDesktop() {
    headless::DesktopConfig config;
    config.defaultInstallPath = "c:\\tactdemo";
    config.readRegistryString = readRegistryString;
    config.writeRegistryString = writeRegistryString;
    config.flushRegistryKey = flushRegistryKey;
    return config;
}

} // namespace win32
