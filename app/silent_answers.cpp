#include "app/silent_answers.h"

#include "app/bwio.h"
#include "app/run_context.h"
#include "platform/run_log.h"
#include "wizard/update_wizard.h"

namespace {

// The update takes a frame per entry and a few more; far more than that means
// the wizard waits for something no answer gives.
constexpr int FrameLimit = 20000;
constexpr int EnterSlot = 4;

Button* findButton(UpdateWizard& w, std::int32_t action, std::int32_t argument) {
    for (Button* button : w.buttons) {
        if (button != nullptr && button->action == action && button->argument == argument &&
            button->text[0] != '\0') {
            return button;
        }
    }
    return nullptr;
}

// The button this screen's user would click; null when there is none.
Button* answerFor(UpdateWizard& w) {
    switch (w.state) {
    case LanguageScreen:
        return findButton(w, ChooseLanguage, silentLanguage());
    case VersionScreen:
        return findButton(w, GoToState, ProgressScreen);
    case QuickStartScreen:
        return findButton(
            w, run_context::options.deleteQuickStart ? DeleteQuickStart : KeepQuickStart, 0);
    // Reached once a check-only run's checks passed; the run ends there.
    case ProgressScreen:
        return findButton(w, Quit, 0);
    // Finish, or Exit on a failure: nobody is there to type another folder.
    case CompletedScreen:
    case NotInstalledScreen:
    case SourceErrorScreen:
    case WriteFailureScreen:
    case IncompatibleScreen:
    case CorruptInstallScreen:
        return w.buttons[EnterSlot];
    default:
        return nullptr;
    }
}

void giveUp(const char* why) {
    runLog("Unattended run stopped: %s", why);
    shell::closeRequested = true;
}

} // namespace

void SilentAnswers::answerCurrentScreen() {
    auto* w = static_cast<UpdateWizard*>(shell::application);
    if (++frames_ > FrameLimit) {
        giveUp("the wizard did not end");
        return;
    }
    // Until a screen is built its buttons are those of the one before.
    if (w == nullptr || w->builtState != w->state ||
        (w->state == ProgressScreen && !w->checksPassed)) {
        return;
    }
    if (Button* answer = answerFor(*w)) {
        answer->autoClick = 1;
    } else {
        giveUp("the screen on show has no answer");
    }
}
