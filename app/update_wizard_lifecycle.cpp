#include <new>
#include <string>

#include "app/run_context.h"
#include "app/test_hooks.h"
#include "datafile/directory.h"
#include "platform/run_log.h"
#include "update/install_record.h"
#include "update/pack_update.h"
#include "update/package.h"
#include "update/update_session.h"
#include "wizard/devices.h"
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

// Support reads in the log what the user read in the box.
void showStartupMessage(const char* title, const char* text) {
    runLog("%s: %s", title, text);
    platform().messageBox(title, text);
}

// An update killed inside its commit left a journal where it ran: in the folder
// the record names, or in an administrator's /dir. Files and record must agree
// again before anything looks at either.
void finishInterruptedUpdates() {
    std::string location;
    if (readInstallValue("Tactico", "Location", location)) {
        recoverInterruptedUpdate(location.c_str(), UpdaterVersionText);
    }
    const std::string& folder = run_context::options.installFolder;
    if (!folder.empty() && folder != location) {
        recoverInterruptedUpdate(folder.c_str(), UpdaterVersionText);
    }
}

// The box has one text for every cause; the log tells them apart.
const char* graphicsFailure(int result) {
    switch (result) {
    case RenderWindowFailed:
        return "no window could be made";
    case RenderFontNotOpened:
        return "a font file (.fnt) is missing beside the program";
    case RenderFontShort:
        return "a font file (.fnt) is cut short";
    default:
        return "out of memory";
    }
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
    session = nullptr;
    checkOnly = run_context::options.check;
    mouse = nullptr;
    keyboard = nullptr;
    givenInstallFolder = run_context::options.installFolder;

    if (run_context::options.pack) {
        const bool packed = packUpdate({run_context::options.patchBases}, UpdaterVersionText);
        run_context::packResult = !packed ? PackResult::Failed
                                  : run_context::options.patchBases.empty()
                                      ? PackResult::Packed
                                      : PackResult::PackedWithPatch;
        showStartupMessage("Setup",
                           packed ? "Packed files successfully !" : "Unable to pack files");
        finished = true;
    } else if (!checkOnly) {
        finishInterruptedUpdates();
    }

    mouse = createMouse();
    if (mouse == nullptr) {
        showStartupMessage("Error", "Unable to create mouse");
        finished = true;
    }
    if (mouse != nullptr)
        mouse->setCursorState(CursorArrow);

    keyboard = createKeyboard();
    if (keyboard == nullptr) {
        showStartupMessage("Error", "Unable to create keyboard");
        finished = true;
    }

    const int graphics =
        openGraphics(640, 480, WindowTitles[language], false, currentFolder, -1, -1, -1, -1);
    if (graphics != RenderOk) {
        runLog("Opening the window failed: %s", graphicsFailure(graphics));
        showStartupMessage("Error", "Unable to open graphics");
        finished = true;
    }

    installPath = platform().defaultInstallPath;
}

UpdateWizard::~UpdateWizard() {
    delete session;
    session = nullptr;
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
