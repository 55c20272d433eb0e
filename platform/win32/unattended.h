// What the Windows entry needs for runs without a window: the parent's console,
// the user-interface language, the system's name for the log, and a headless
// desktop that reads the real registry.
#pragma once

#include <string>

#include "platform/headless/headless.h"

namespace win32 {

// A program built for the window system has no console of its own; started
// from a command prompt, it writes into the prompt's, unless its output already
// goes to a file or pipe.
void attachParentConsole();
// The ISO 639-1 name of the user's Windows display language where the wizard has
// texts in it; empty otherwise.
std::string userInterfaceLanguage();
// "Windows 10.0.19045", with the Wine version where Wine runs it.
std::string systemDescription();
headless::DesktopConfig unattendedDesktop();

} // namespace win32
