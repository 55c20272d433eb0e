#include "app/bwio.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand) {
    // The window's show mode is the application's choice, not the caller's.
    (void)previousInstance;
    (void)showCommand;
    win32::install(instance);
    return runApplication(instance, commandLine);
}
