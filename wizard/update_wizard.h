// The application object: the update wizard.
#pragma once

#include <cstdint>
#include <string>

#include "render/screen.h"
#include "wizard/button.h"
#include "wizard/bwio.h"

class MOUSE;
class KEYBOARD;
class UpdateSession;

enum WizardState : std::int16_t {
    LanguageScreen = 0,
    NotInstalledScreen = 1,
    VersionScreen = 2,
    ProgressScreen = 3,
    CompletedScreen = 4,
    SourceErrorScreen = 5,
    CorruptInstallScreen = 6,
    QuickStartScreen = 7,
    FolderEntryScreen = 8,
    WriteFailureScreen = 9,
    IncompatibleScreen = 10,
};

inline constexpr int ButtonSlotCount = 10;
// The record's "Version" is read into a text of this many bytes, terminator included.
inline constexpr int VersionTextBytes = 200;
// What the folder-entry screen lets the user type.
inline constexpr std::size_t MaxTypedFolderLength = 199;

class UpdateWizard : public BWIO {
  public:
    UpdateWizard(); // app/update_wizard_lifecycle.cpp
    ~UpdateWizard() override;

    void buildScreen() override; // wizard/build_screen.cpp
    bool frameStep() override;   // wizard/frame_step.cpp

    Button* makeButton(std::int16_t x, std::int16_t y, std::int16_t width, std::int16_t height,
                       const char* text, std::int32_t action, std::int32_t argument,
                       Colour555 colour);
    void drawButton(const Button* button);
    bool pollButtonClick(Button* button);
    void wrapTextIntoLabels(std::int16_t& slotIndex, std::int16_t x, std::int16_t& y,
                            std::int16_t widthLimit, const char* text);
    bool removeQuickStartFiles(bool deleteThem);

    // Members in declaration order.
    std::int16_t state;
    std::int16_t builtState;
    std::int16_t progressCount;
    std::int16_t boxX;
    std::int16_t boxY;
    std::int16_t boxWidth;
    char installedVersion[VersionTextBytes];
    // UTF-8, as long as the system allows; the screens show what their fonts can draw.
    std::string installPath;
    // An administrator's /dir, which stands in for the record's "Location"; empty
    // for none.
    std::string givenInstallFolder;
    MOUSE* mouse;
    KEYBOARD* keyboard;
    bool finished;
    std::int32_t language;
    Button* buttons[ButtonSlotCount];
    // The update under way: what it staged, for which folder and readme; null
    // before the first step. Deleting it removes what it staged and did not commit.
    UpdateSession* session;
    // Only the checks: the update stops on the progress screen once they pass
    // (checksPassed), having written nothing, and waits for Exit.
    bool checkOnly = false;
    bool checksPassed = false;
    // The keyboard focus: the slot of the focused element, -1 for none. It is
    // drawn only once the keyboard has moved it (focusShown), as Windows does.
    std::int16_t focusSlot = -1;
    bool focusShown = false;
};
