#include "platform/process.h"

#include <windows.h>

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

bool isAbsolute(const std::string& path) {
    return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
           path.starts_with("\\\\");
}

// The program's file on the PATH's absolute folders. CreateProcess on a bare name
// would look first in this program's folder and the current one, which for an
// administrator's run may be a download folder another account can write to.
std::string onPath(const std::string& name) {
    const DWORD length = GetEnvironmentVariableA("PATH", nullptr, 0);
    std::string path(length, '\0');
    if (length == 0 || GetEnvironmentVariableA("PATH", path.data(), length) + 1 != length) {
        return {};
    }
    path.resize(length - 1);
    const bool hasExtension = name.find('.') != std::string::npos;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(';', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') {
            folder = folder.substr(1, folder.size() - 2);
        }
        if (!isAbsolute(folder)) {
            continue;
        }
        if (folder.back() != '\\' && folder.back() != '/') {
            folder += '\\';
        }
        const std::string candidate = folder + name + (hasExtension ? "" : ".exe");
        const DWORD attributes = GetFileAttributesA(candidate.c_str());
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
    const std::string program = onPath(arguments.front());
    if (program.empty()) {
        return -1;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
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
    char temporary[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof temporary, temporary);
    if (length == 0 || length >= sizeof temporary) {
        return {};
    }
    // The account's own temporary folder is closed to other accounts, and what is
    // made in it inherits that.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = std::string(temporary) + prefix +
                                   std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(GetTickCount() + attempt);
        if (CreateDirectoryA(folder.c_str(), nullptr)) {
            return folder;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return {};
        }
    }
    return {};
}
