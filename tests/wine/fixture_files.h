// The files of a Windows end-to-end run: the sources an update is packed from and
// the older installation it replaces, with contents that can be made again to
// check the result byte for byte.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace fixture {

std::string sourceContents(int index);
std::string installedContents(int index);
std::string readmeContents(int language);

// Writes the 47 sources (readme entry excepted) and the eight readmes into
// updateDir, and an installation of every entry into installDir.
bool writeFiles(const std::filesystem::path& updateDir, const std::filesystem::path& installDir,
                std::string& error);

// What differs from a completed update in language.
std::vector<std::string> checkUpdated(const std::filesystem::path& updateDir,
                                      const std::filesystem::path& installDir, int language);

} // namespace fixture
