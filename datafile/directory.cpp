#include "datafile/directory.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "platform/file_io.h"
#include "update/paths.h"

struct Directory::State {
    char path[500];
};

Directory::Directory() : state(new (std::nothrow) State{}) {
    if (state == nullptr) {
        return;
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    const std::string current = fromFsPath(folder);
    if (error || current.size() >= sizeof state->path) {
        return;
    }
    std::memcpy(state->path, current.c_str(), current.size() + 1);
    // At a root the query ends in a separator; dropping it lets joins add exactly one.
    if (!current.empty() && current.back() == PathSeparator) {
        state->path[current.size() - 1] = '\0';
    }
}

Directory::~Directory() {
    delete state;
}

const char* Directory::path() const {
    return state != nullptr ? state->path : nullptr;
}
