#include <cstring>
#include <new>

#include "app/devices.h"
#include "app/test_hooks.h"
#include "datafile/directory.h"
#include "update/package.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"
#include "wizard/wizard_steps.h"

namespace {

MOUSE* createMouse() {
    if (test_hooks::failMouseAllocation)
        return nullptr;
    return new (std::nothrow) MOUSE();
}

KEYBOARD* createKeyboard() {
    if (test_hooks::failKeyboardAllocation)
        return nullptr;
    return new (std::nothrow) KEYBOARD();
}

bool isPackMode(const char* commandLine) {
    return commandLine != nullptr && std::strstr(commandLine, "-pack") != nullptr;
}

} // namespace

UpdateWizard::UpdateWizard() : BWIO() {
    Directory currentFolder;

    for (Button*& slot : buttons)
        slot = nullptr;
    finished = false;
    language = English;
    state = LanguageScreen;
    builtState = -1;
    progressCount = 0;
    mouse = nullptr;
    keyboard = nullptr;

    if (isPackMode(commandLine())) {
        platform().messageBox("Setup", packUpdate() ? "Packed files successfully !"
                                                    : "Unable to pack files");
        finished = true;
    } else {
        finishInterruptedUpdate();
    }

    mouse = createMouse();
    if (mouse == nullptr) {
        platform().messageBox("Error", "Unable to create mouse");
        finished = true;
    }
    if (mouse != nullptr)
        mouse->setCursorState(CursorArrow);

    keyboard = createKeyboard();
    if (keyboard == nullptr) {
        platform().messageBox("Error", "Unable to create keyboard");
        finished = true;
    }

    if (openGraphics(640, 480, WindowTitles[language], false, currentFolder, -1, -1, -1, -1) !=
        RenderOk) {
        platform().messageBox("Error", "Unable to open graphics");
        finished = true;
    }

    std::strncpy(installPath, platform().defaultInstallPath, PathAreaBytes - 1);
    installPath[PathAreaBytes - 1] = '\0';
}

UpdateWizard::~UpdateWizard() {
    discardStagedUpdate();
    for (Button*& slot : buttons) {
        delete slot;
        slot = nullptr;
    }
    closeGraphics();
    delete mouse;
    mouse = nullptr;
    delete keyboard;
    keyboard = nullptr;
}
