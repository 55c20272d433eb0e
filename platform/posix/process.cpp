#include "platform/process.h"

#include <cerrno>
#include <filesystem>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

extern char** environ;

int runProgram(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return -1;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
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
