// The real desktop on Linux: one SDL window, SDL's event queue and message boxes.
#pragma once

#include "platform/platform.h"

namespace sdl {

// Starts SDL's video and selects this backend. Without a display the backend
// still works: the window cannot be made and message boxes go to stderr.
void install();
// Closes SDL again after the application has gone.
void shutdown();
const PlatformOps& ops();

} // namespace sdl
