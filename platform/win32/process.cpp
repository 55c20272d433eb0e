#include "platform/process.h"

#include <optional>
#include <string_view>

#include "platform/win32/win32_platform.h"

namespace {

// One argument as the C runtime's parser reads it back: quoted, with the
// backslashes before a quote doubled.
std::string quoted(const std::string& argument) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

bool isAbsolute(std::wstring_view path) {
    return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           path.starts_with(L"\\\\");
}

// The program's file on the PATH's absolute folders. CreateProcess on a bare name
// would look first in this program's folder and the current one, which for an
// administrator's run may be a download folder another account can write to.
std::wstring onPath(const std::wstring& name) {
    const DWORD length = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(length, L'\0');
    if (length == 0 || GetEnvironmentVariableW(L"PATH", path.data(), length) + 1 != length) {
        return {};
    }
    path.resize(length - 1);
    const bool hasExtension = name.find(L'.') != std::wstring::npos;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(L';', start);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        std::wstring folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
            folder = folder.substr(1, folder.size() - 2);
        }
        if (!isAbsolute(folder)) {
            continue;
        }
        if (folder.back() != L'\\' && folder.back() != L'/') {
            folder += L'\\';
        }
        const std::wstring candidate = folder + name + (hasExtension ? L"" : L".exe");
        const DWORD attributes = GetFileAttributesW(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return candidate;
        }
    }
    return {};
}

} // namespace

int runProgram(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return -1;
    }
    std::string commandLine;
    for (const std::string& argument : arguments) {
        if (!commandLine.empty()) {
            commandLine += ' ';
        }
        commandLine += quoted(argument);
    }
    std::wstring wideLine = win32::wideFromUtf8(commandLine);
    const std::wstring program = onPath(win32::wideFromUtf8(arguments.front()));
    if (program.empty() || wideLine.empty()) {
        return -1;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), wideLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    CloseHandle(process.hThread);
    DWORD code = 1;
    const bool waited = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return waited ? static_cast<int>(code & 0xff) : 128;
}

std::string createPrivateFolder(const char* prefix) {
    const DWORD size = GetTempPathW(0, nullptr);
    std::wstring temporary(size, L'\0');
    const DWORD length = size == 0 ? 0 : GetTempPathW(size, temporary.data());
    if (length == 0 || length >= size) {
        return {};
    }
    temporary.resize(length);
    const std::optional<std::string> folderText = win32::utf8FromWide(temporary);
    if (!folderText) {
        return {};
    }
    // The account's own temporary folder is closed to other accounts, and what is
    // made in it inherits that.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = *folderText + prefix + std::to_string(GetCurrentProcessId()) +
                                   "-" + std::to_string(GetTickCount() + attempt);
        const std::optional<std::wstring> wide = win32::systemPath(folder);
        if (!wide) {
            return {};
        }
        if (CreateDirectoryW(wide->c_str(), nullptr)) {
            return folder;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return {};
        }
    }
    return {};
}
