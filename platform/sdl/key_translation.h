// What SDL's keyboard events become in the core's messages.
#pragma once

#include <cstdint>

#include <SDL.h>

#include "platform/messages.h"

namespace sdl {

// The Windows virtual-key code of a key; 0xFF for keys without one.
std::uint32_t virtualKeyFor(SDL_Keycode key);

// Text input does not report Backspace, Tab, Enter and Escape; their characters
// come from the key presses, as TranslateMessage makes them.
using win::controlCharacterFor;

} // namespace sdl
