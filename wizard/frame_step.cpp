#include <string>

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/windows1252.h"
#include "render/font.h"
#include "render/screen.h"
#include "wizard/devices.h"
#include "wizard/keyboard_focus.h"
#include "wizard/wizard_steps.h"

namespace {

bool enterPressesSlot4(std::int16_t state) {
    switch (state) {
    case NotInstalledScreen:
    case VersionScreen:
    case CompletedScreen:
    case SourceErrorScreen:
    case CorruptInstallScreen:
    case QuickStartScreen:
    case FolderEntryScreen:
    case WriteFailureScreen:
    case IncompatibleScreen:
        return true;
    default:
        return false;
    }
}

void editInstallPath(UpdateWizard& w, LogicalKey key, std::uint8_t character) {
    std::string& path = w.installPath;
    if (key == KeyBackspace) {
        // A whole character of the UTF-8 path, however many bytes it took.
        while (!path.empty() && (static_cast<unsigned char>(path.back()) & 0xC0) == 0x80) {
            path.pop_back();
        }
        if (!path.empty()) {
            path.pop_back();
        }
        return;
    }
    // Only printable ASCII: the field's font and the file system both agree on it.
    if (static_cast<signed char>(character) < 32 || path.size() >= MaxTypedFolderLength) {
        return;
    }
    path += static_cast<char>(character);
    if (stringWidth(1, windows1252FromUtf8(path).c_str()) > w.boxWidth) {
        path.pop_back();
    }
}

void handleKeys(UpdateWizard& w) {
    std::uint8_t character = 0;
    std::uint32_t keyCode = 0;
    if (w.keyboard == nullptr || !w.keyboard->readKey(character, keyCode)) {
        return;
    }
    const LogicalKey key = KEYBOARD::logicalKey(keyCode);
    if (key == KeyEscape) {
        w.finished = true;
    }
    if (moveFocus(w, keyCode, w.keyboard->shiftWasDown()) || pressFocused(w, keyCode)) {
        return;
    }
    if (key == KeyEnter && enterPressesSlot4(w.state)) {
        if (Button* button = w.buttons[EnterSlot]) {
            button->autoClick = 1;
        }
        return;
    }
    if (fieldHasFocus(w)) {
        editInstallPath(w, key, character);
        w.buildScreen();
    }
}

void pressSlot(UpdateWizard& w, int slot) {
    if (slot >= 0 && slot < ButtonSlotCount && isFocusable(w, slot) &&
        w.buttons[slot]->action != TextField) {
        w.buttons[slot]->autoClick = 1;
    }
}

void openInstalledReadme(const UpdateWizard& w) {
    platform().shellOpen(joinPath(w.installPath, "readme.txt").c_str());
}

void performAction(UpdateWizard& w, std::int32_t action, std::int32_t argument) {
    switch (action) {
    case ChooseLanguage:
        chooseLanguage(w, argument);
        break;
    case GoToState:
        w.state = static_cast<std::int16_t>(argument);
        w.buildScreen();
        break;
    case Quit:
        if (w.state == CompletedScreen) {
            openInstalledReadme(w);
        }
        w.finished = true;
        break;
    case DeleteQuickStart:
        w.removeQuickStartFiles(true);
        w.state = CompletedScreen;
        w.buildScreen();
        break;
    case KeepQuickStart:
        w.state = CompletedScreen;
        w.buildScreen();
        break;
    default:
        break;
    }
}

} // namespace

bool UpdateWizard::frameStep() {
    if (!isScreenReady()) {
        return false;
    }
    handleKeys(*this);
    if (keyboard != nullptr) {
        pressSlot(*this, keyboard->readPressedSlot());
    }
    if (state == ProgressScreen) {
        const std::int16_t before = progressCount;
        runUpdateStep(*this);
        if (state == ProgressScreen && progressCount != before) {
            publishScreen(*this, ScreenEvent::ValueChanged);
        }
    }
    for (int slot = 0; slot < ButtonSlotCount; ++slot) {
        Button* button = buttons[slot];
        if (pollButtonClick(button)) {
            // The action may rebuild the screen and release this Button.
            performAction(*this, button->action, button->argument);
        }
    }
    return !finished;
}
