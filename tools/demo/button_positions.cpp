#include "tools/demo/button_positions.h"

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "wizard/update_wizard.h"

namespace demo {

namespace {

Point centre(const Button* button) {
    if (!button)
        return {};
    return {button->x + button->width / 2, button->y + button->height / 2};
}

Point slot4Of(UpdateWizard& w, WizardState state) {
    w.state = state;
    w.buildScreen();
    return centre(w.buttons[4]);
}

} // namespace

ButtonPositions findButtonPositions(int language) {
    ButtonPositions found;
    bool done = false;
    headless::install();
    headless::setPumpHook([&] {
        auto* w = dynamic_cast<UpdateWizard*>(shell::application);
        if (done || !w || w->builtState != LanguageScreen)
            return;
        done = true;
        for (const Button* b : w->buttons)
            if (b && b->action == ChooseLanguage && b->argument == language)
                found.language = centre(b);
        w->language = language;
        found.next = slot4Of(*w, VersionScreen);
        found.yes = slot4Of(*w, QuickStartScreen);
        found.finish = slot4Of(*w, CompletedScreen);
        // Back where a frame step does nothing, and end.
        w->state = LanguageScreen;
        w->finished = true;
    });
    InstanceHandle (*instance)() = headless::ops().instance;
    runApplication(instance ? instance() : nullptr, "");
    headless::setPumpHook({});
    return found;
}

} // namespace demo
