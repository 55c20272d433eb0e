#include "platform/sdl/key_translation.h"

#include "platform/messages.h"

namespace sdl {

namespace {

// Code points of Windows-1252 bytes 0x80-0x9F; 0 where the code page has none.
constexpr std::uint16_t HighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int windows1252Byte(std::uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (HighControls[i] != 0 && HighControls[i] == codePoint)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

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

std::string utf8ToWindows1252(const char* utf8) {
    std::string out;
    if (utf8 == nullptr)
        return out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p != 0) {
        std::uint32_t codePoint = 0;
        int continuation = 0;
        if (*p < 0x80) {
            codePoint = *p;
        } else if ((*p & 0xE0) == 0xC0) {
            codePoint = *p & 0x1Fu;
            continuation = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            codePoint = *p & 0x0Fu;
            continuation = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            codePoint = *p & 0x07u;
            continuation = 3;
        } else {
            ++p;
            continue;
        }
        ++p;
        bool valid = true;
        for (int i = 0; i < continuation; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            codePoint = (codePoint << 6) | (*p & 0x3Fu);
        }
        // Overlong forms would smuggle in bytes the text never held.
        static constexpr std::uint32_t Smallest[4] = {0, 0x80, 0x800, 0x10000};
        if (!valid || codePoint < Smallest[continuation])
            continue;
        const int byte = windows1252Byte(codePoint);
        if (byte > 0)
            out.push_back(static_cast<char>(byte));
    }
    return out;
}

} // namespace sdl
