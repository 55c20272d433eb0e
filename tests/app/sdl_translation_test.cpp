// What the real desktop's keyboard and text events turn into.
#include <gtest/gtest.h>

#include "platform/messages.h"
#include "platform/sdl/key_translation.h"
#include "wizard/devices.h"

namespace {

TEST(SdlKeys, EveryNamedKeyReachesItsLogicalKey) {
    const std::pair<SDL_Keycode, LogicalKey> keys[] = {
        {SDLK_LEFT, KeyLeft},      {SDLK_RIGHT, KeyRight},    {SDLK_BACKSPACE, KeyBackspace},
        {SDLK_DELETE, KeyDelete},  {SDLK_ESCAPE, KeyEscape},  {SDLK_RETURN, KeyEnter},
        {SDLK_KP_ENTER, KeyEnter}, {SDLK_TAB, KeyTab},        {SDLK_INSERT, KeyInsert},
        {SDLK_KP_PLUS, KeyPlus},   {SDLK_KP_MINUS, KeyMinus}, {SDLK_F1, KeyF1},
        {SDLK_F9, KeyF9},          {SDLK_F10, KeyNone},       {SDLK_EQUALS, KeyNone},
        {SDLK_MINUS, KeyNone},     {SDLK_UP, KeyNone},        {SDLK_PERIOD, KeyNone}};
    for (const auto& [key, logical] : keys)
        EXPECT_EQ(KEYBOARD::logicalKey(sdl::virtualKeyFor(key)), logical) << SDL_GetKeyName(key);
    EXPECT_EQ(sdl::virtualKeyFor(SDLK_q), static_cast<std::uint32_t>('Q'));
    EXPECT_EQ(sdl::virtualKeyFor(SDLK_7), static_cast<std::uint32_t>('7'));
    // A key without a name still sends a key-down, so it replaces the newest key.
    EXPECT_NE(sdl::virtualKeyFor(SDLK_PERIOD), 0u);
    // Text input does not report these; their characters come from the key press.
    const std::pair<SDL_Keycode, int> controls[] = {
        {SDLK_BACKSPACE, 8}, {SDLK_TAB, 9}, {SDLK_RETURN, 13}, {SDLK_ESCAPE, 27}, {SDLK_DELETE, 0}};
    for (const auto& [key, character] : controls)
        EXPECT_EQ(sdl::controlCharacterFor(sdl::virtualKeyFor(key)), character)
            << SDL_GetKeyName(key);
}

} // namespace
