// Holds a file open as other programs on a player's machine do: the running game
// shares it for reading and writing, a virus scanner, the search indexer or a sync
// client for reading only. Neither shares it for deletion, so while it is held the
// file can be neither renamed nor removed. Run under Wine by tests/wine/*.sh:
//   tactico-hold-open <file> <release flag file> [/share=read] [/for=<milliseconds>]
//                     [/once=<text> /in=<log file>]
// Prints "holding" once the file is open and lets it go when the flag file appears
// or the milliseconds have passed. With /once it opens the file as soon as the log
// holds the text, as a scanner is there the moment a file is written.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The updater's log, shared for reading while it is written.
bool logHolds(const std::wstring& log, const std::string& text) {
    HANDLE file = CreateFileW(log.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string contents;
    char buffer[65536];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr) &&
           got > 0) {
        contents.append(buffer, got);
    }
    CloseHandle(file);
    return contents.find(text) != std::string::npos;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    ULONGLONG milliseconds = ~0ULL;
    std::wstring once, log;
    bool usage = argc < 3;
    for (int i = 3; i < argc && !usage; ++i) {
        const std::wstring option = argv[i];
        if (option == L"/share=read") {
            share = FILE_SHARE_READ;
        } else if (option.rfind(L"/for=", 0) == 0) {
            milliseconds = _wtoi64(option.c_str() + 5);
        } else if (option.rfind(L"/once=", 0) == 0) {
            once = option.substr(6);
        } else if (option.rfind(L"/in=", 0) == 0) {
            log = option.substr(4);
        } else {
            usage = true;
        }
    }
    if (usage || once.empty() != log.empty()) {
        std::fprintf(stderr, "usage: tactico-hold-open <file> <release flag file> [/share=read] "
                             "[/for=<milliseconds>] [/once=<text> /in=<log file>]\n");
        return 2;
    }
    std::string text(
        WideCharToMultiByte(CP_UTF8, 0, once.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, once.c_str(), -1, text.data(), static_cast<int>(text.size()),
                        nullptr, nullptr);
    text.resize(text.size() - 1);
    if (!log.empty()) {
        std::printf("waiting\n");
        std::fflush(stdout);
    }
    while (!log.empty() && !logHolds(log, text)) {
        Sleep(2);
    }
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open the file: error %lu\n", GetLastError());
        return 1;
    }
    const ULONGLONG start = GetTickCount64();
    std::printf("holding\n");
    std::fflush(stdout);
    while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount64() - start < milliseconds) {
        Sleep(10);
    }
    CloseHandle(file);
    return 0;
}
