#include "platform/process.h"

#include "platform/posix/program_path.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <stdlib.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::string programOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
    while (true) {
        const std::size_t end = rest.find(':');
        const std::string_view folder = rest.substr(0, end);
        if (folder.starts_with('/')) {
            const std::string candidate = std::string(folder) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (end == std::string_view::npos) {
            return {};
        }
        rest.remove_prefix(end + 1);
    }
}

int runProgram(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return -1;
    }
    const std::string program = programOnPath(arguments.front());
    if (program.empty()) {
        return -1;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    // The shell's 127: spawned, but the program itself was not found.
    if (!WIFEXITED(status)) {
        return 128;
    }
    return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

std::string createPrivateFolder(const char* prefix) {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (error) {
        return {};
    }
    // mkdtemp makes the folder with mode 0700.
    std::string pattern = (temporary / (std::string(prefix) + "XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return {};
    }
    return pattern;
}
