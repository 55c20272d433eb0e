// Plays the demo update on the headless desktop the way a user would: every
// action is a message the window would receive from a real mouse.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace demo {

struct VisitedScreen {
    int state;
    std::string name;          // short name used for the picture file
    std::filesystem::path png; // empty when no picture was written
};

struct PlayResult {
    bool reachedCompletion = false;
    bool answeredQuickStart = false; // the quick-start question was shown and answered Yes
    int frames = 0;
    std::vector<VisitedScreen> screens;
    std::vector<std::string> shellOpens;
    std::vector<std::string> problems;
};

// Runs the program's main loop in the current folder (the update folder) until
// the wizard ends, writing a PNG of each screen into pngFolder when it is not
// empty. The platform must not have been installed yet.
PlayResult playUpdate(int language, const std::filesystem::path& pngFolder,
                      const char* commandLine = "");

const char* screenName(int state);

} // namespace demo
