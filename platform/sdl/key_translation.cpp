#include "platform/sdl/key_translation.h"

#include "platform/messages.h"

namespace sdl {

std::uint32_t virtualKeyFor(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<std::uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<std::uint32_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return win::kVkF1 + static_cast<std::uint32_t>(key - SDLK_F1);
    switch (key) {
    case SDLK_BACKSPACE:
        return win::kVkBack;
    case SDLK_TAB:
        return win::kVkTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return win::kVkReturn;
    case SDLK_ESCAPE:
        return win::kVkEscape;
    case SDLK_SPACE:
        return win::kVkSpace;
    case SDLK_PAGEUP:
        return win::kVkPrior;
    case SDLK_PAGEDOWN:
        return win::kVkNext;
    case SDLK_END:
        return win::kVkEnd;
    case SDLK_HOME:
        return win::kVkHome;
    case SDLK_LEFT:
        return win::kVkLeft;
    case SDLK_UP:
        return win::kVkUp;
    case SDLK_RIGHT:
        return win::kVkRight;
    case SDLK_DOWN:
        return win::kVkDown;
    case SDLK_INSERT:
        return win::kVkInsert;
    case SDLK_DELETE:
        return win::kVkDelete;
    case SDLK_KP_PLUS:
        return win::kVkAdd;
    case SDLK_KP_MINUS:
        return win::kVkSubtract;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return win::kVkShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return win::kVkControl;
    case SDLK_EQUALS:
        return 0xBB; // the main keyboard's plus key
    case SDLK_MINUS:
        return 0xBD;
    default:
        // Every other key still replaces the newest key code, as on Windows, under
        // the code Windows gives keys it has no name for.
        return 0xFF;
    }
}

} // namespace sdl
