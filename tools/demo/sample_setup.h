// Lays out a complete demo: an older installation, an update folder with the new
// sources, readmes, fonts and program, the package built by the program's own
// pack mode, and the installation record pointing at the installation.
#pragma once

#include <filesystem>
#include <string>

namespace demo {

struct DemoFolders {
    std::filesystem::path root;
    std::filesystem::path installation; // root/installation
    std::filesystem::path update;       // root/update
    std::filesystem::path registry;     // root/registry.reg
    std::filesystem::path screens;      // root/screens
};

DemoFolders foldersUnder(const std::filesystem::path& root);

// Where entry index of the file list lies, relative to the installation folder.
std::filesystem::path relativeTarget(int index);

inline constexpr const char* InstalledVersionText =
    "Version 3.69 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)";
inline constexpr const char* ProgramName = "tactico-update";

// Every step reports what went wrong in error and returns false.
bool writeInstallation(const DemoFolders& folders, std::string& error);
// binDir holds the program and the seven fonts.
bool writeUpdateFolder(const DemoFolders& folders, const std::filesystem::path& binDir,
                       std::string& error);
// Runs "tactico-update -pack" headless in the update folder.
bool packWithProgram(const DemoFolders& folders, std::string& error);
// The patch sample: the old version's sources packed in root/base as their
// publisher packed them, the update folder packed again against that package
// (update.patch beside update.dat; needs xdelta3), and update.dat removed unless
// keepFull: what a player who downloads only the patch has.
bool writeBaseFolder(const DemoFolders& folders, std::string& error);
bool packPatchWithProgram(const DemoFolders& folders, bool keepFull, std::string& error);
// Needs TACTICO_REGISTRY pointing at folders.registry and a platform selected.
bool writeInstallRecord(const DemoFolders& folders, std::string& error);

// All of the above, after removing what an earlier run left in root.
bool prepareDemo(const DemoFolders& folders, const std::filesystem::path& binDir,
                 std::string& error);

} // namespace demo
