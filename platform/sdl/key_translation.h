// What SDL's keyboard events become in the core's messages.
#pragma once

#include <cstdint>
#include <string>

#include <SDL.h>

#include "platform/messages.h"

namespace sdl {

// The Windows virtual-key code of a key; 0xFF for keys without one.
std::uint32_t virtualKeyFor(SDL_Keycode key);

// Text input does not report Backspace, Tab, Enter and Escape; their characters
// come from the key presses, as TranslateMessage makes them.
using win::controlCharacterFor;

// Converts UTF-8 text to Windows-1252 bytes; characters that code page lacks and
// malformed sequences are dropped.
std::string utf8ToWindows1252(const char* utf8);

} // namespace sdl
