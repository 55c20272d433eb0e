// The application framework: the one application object (wizard/bwio.h), the
// window it owns, and the main loop that drives it one frame at a time.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/platform.h"
#include "wizard/bwio.h"

// Module-level state of the shell, one copy per process.
namespace shell {
extern InstanceHandle instanceHandle;
extern const char* commandLine;
extern BWIO* application;
extern bool running;
extern bool closeRequested;
extern bool painting;
// Runs before every frame step while the main loop runs; null for none.
extern std::function<void()> beforeFrame;
} // namespace shell

// The one window procedure, shared by every backend.
LResult windowProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);

// The program: stores the entry's arguments, creates the application, runs the main
// loop, destroys the application. Returns the exit code: 0 in the window; with
// /silent, how the run ended (app/run_outcome.h); 4 for a bad command line,
// whose usage the entry shows.
int runApplication(InstanceHandle instance, const char* commandLine);
