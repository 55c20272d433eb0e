// Runs the whole program on the headless desktop against a sample installation
// in a temporary folder, driven frame by frame as a user would drive it.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "wizard/update_wizard.h"

namespace fs = std::filesystem;

inline constexpr int ReadmeEntry = 42;

struct SampleSetup {
    fs::path root, updateFolder, game;

    // The update folder (current folder of a run) with fonts, package and
    // readmes, an old installation, and an installation record pointing at it.
    static SampleSetup create(const std::string& name);
    void remove() const { fs::remove_all(root); }

    static std::string oldContents(int entry);
    static std::string newContents(int entry); // the language readme for the readme entry
    static std::string readmeContents(int language);
    fs::path target(int entry, const fs::path& installation) const;
    fs::path target(int entry) const { return target(entry, game); }
    void writeOldInstallation(const fs::path& installation) const;
    void writeRecord(const char* version, const char* location) const;
};

std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& contents);
std::string recordValue(const char* name);
// Files under the installation that are no target of the update and no
// quick-start game: what an interrupted replacement could leave behind.
std::vector<fs::path> strayFiles(const SampleSetup& setup);

// A step is called once per frame, after the frame's messages, until it returns
// true; messages it posts reach the next frame step.
using ScriptStep = std::function<bool(UpdateWizard&)>;

class Script {
  public:
    Script& then(ScriptStep step);
    Script& waitState(std::int16_t state);
    // Press and release in two frames, as a real click comes.
    Script& clickSlot(int slot);
    Script& key(std::uint32_t virtualKey);
    Script& typeChar(std::uint8_t character);
    Script& frames(int count);
    Script& check(std::function<void(UpdateWizard&)> body);
    // False, with a test failure, when the program ended or stalled before the
    // script did.
    bool run(const SampleSetup& setup, int frameBudget = 3000);

  private:
    std::deque<ScriptStep> steps_;
};

// Language, Next, and Finish once the update is done.
Script updateScript(int language);
