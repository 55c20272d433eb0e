// Starts the desktop's viewer (xdg-open) for a file, as the route's user.
#pragma once

#include <sys/types.h>

#include "platform/viewer_route.h"

// program, without a folder, is looked up in the PATH's absolute folders. The child takes the
// route's user, its groups and home before it runs program; one it cannot become runs nothing. -1
// when no child was started.
pid_t startViewer(const char* program, const char* path, const ViewerRoute& route);
