// A scratch folder that the test works in: created empty, made the current folder,
// and removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return root; }
    std::string operator/(const std::string& name) const { return (root / name).string(); }

  private:
    std::filesystem::path root;
    std::filesystem::path previous;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// Deterministic bytes that differ from file to file.
std::string patternBytes(std::size_t size, unsigned seed);
bool runningAsRoot();
