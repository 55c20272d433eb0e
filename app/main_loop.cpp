#include <new>

#include "app/bwio.h"
#include "app/devices.h"
#include "app/main_loop.h"
#include "app/test_hooks.h"
#include "wizard/update_wizard.h"

namespace {

UpdateWizard* createApplication() {
    if (test_hooks::failApplicationAllocation)
        return nullptr;
    return new (std::nothrow) UpdateWizard();
}

void destroyApplication(UpdateWizard* application) {
    delete application;
}

// A process runs this once; tests run it many times in one process, so every run
// starts from the state a fresh process would have.
void startFresh() {
    shell::closeRequested = false;
    shell::painting = false;
    input::mouseX = 0;
    input::mouseY = 0;
    input::leftButton = 0;
    input::rightButton = 0;
    input::middleButton = 0;
    input::wheelTotal = 0;
    input::keyLatch = 0;
    input::characterLatch = 0;
}

} // namespace

int runApplication(InstanceHandle instance, const char* commandLine) {
    startFresh();
    shell::instanceHandle = instance;
    shell::commandLine = commandLine;

    UpdateWizard* created = createApplication();
    runMainLoop();
    destroyApplication(created);
    return 0;
}

void runMainLoop() {
    shell::running = true;
    if (shell::application != nullptr && shell::application->frameStep()) {
        while (!shell::closeRequested) {
            shell::application->pumpMessages();
            if (!shell::application->frameStep())
                break;
        }
    }
    shell::running = false;
}
