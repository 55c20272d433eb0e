#include "datafile/directory.h"

#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "platform/file_io.h"
#include "platform/paths.h"

struct Directory::State {
    std::string path;
};

Directory::Directory() : state(new (std::nothrow) State{}) {
    if (state == nullptr) {
        return;
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) {
        return;
    }
    state->path = fromFsPath(folder);
    // At a root the query ends in a separator; dropping it lets joins add exactly one.
    if (!state->path.empty() && state->path.back() == PathSeparator) {
        state->path.pop_back();
    }
}

Directory::~Directory() {
    delete state;
}

const char* Directory::path() const {
    return state != nullptr ? state->path.c_str() : nullptr;
}
