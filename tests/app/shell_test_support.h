// A headless desktop, a scratch current folder with fonts, and a minimal
// application object for driving the shell without the wizard.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/bwio.h"
#include "platform/headless/headless.h"

// Writes a valid two-row font into folder under the name of font slot slot.
void writeTinyFont(const std::filesystem::path& folder, int slot);

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Replaces the desktop; tests that need a special one call it first.
    void installDesktop(const headless::DesktopConfig& config);
    void writeFonts(int count = 7);
    std::vector<std::string> messageTexts() const;

    std::filesystem::path folder;

  private:
    std::filesystem::path previousFolder;
};

// Counts the calls the shell makes into the application and draws a fixed
// pattern on every build, so what reaches the window can be checked.
class CountingApp : public BWIO {
  public:
    void buildScreen() override;
    bool frameStep() override;

    int builds = 0;
    int steps = 0;
    int stepsUntilDone = -1; // frameStep returns false on this call; -1 never
};
