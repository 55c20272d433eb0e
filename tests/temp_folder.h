// A scratch folder the test works in: created empty, made the current folder, and
// removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "tests/files.h"

namespace fs = std::filesystem;

class TempFolder {
  public:
    TempFolder() {
        fs::remove_all(root);
        fs::create_directories(root);
        fs::current_path(root);
    }
    ~TempFolder() {
        fs::current_path(previous);
        std::error_code error;
        fs::remove_all(root, error);
    }
    const fs::path& path() const { return root; }
    std::string operator/(const std::string& name) const { return (root / name).string(); }

  private:
    const fs::path previous = fs::current_path();
    const fs::path root = fs::temp_directory_path() / ("tactico-test-" + std::to_string(getpid()));
};

// Deterministic bytes that differ from file to file.
inline std::string patternBytes(std::size_t size, unsigned seed) {
    std::minstd_rand random(seed + 1);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() >> 8);
    }
    return bytes;
}
