// Whole files read and written at once.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A folder reads as empty.
inline std::string readFile(const std::filesystem::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// The folders on the way are made first.
inline void writeFile(const std::filesystem::path& path, const std::string& contents) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}
