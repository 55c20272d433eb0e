// One element of a wizard screen: push button, panel, field or line of text.
#pragma once

#include <cstdint>

#include "render/screen.h"

enum ButtonAction : std::int32_t {
    TextField = -2,
    Label = -1,
    Inactive = 0,
    ChooseLanguage = 1,
    GoToState = 2,
    Quit = 3,
    DeleteQuickStart = 4,
    KeepQuickStart = 5,
};

struct Button {
    char text[200];
    std::int16_t x;
    std::int16_t y;
    std::int16_t width;
    std::int16_t height;
    std::int32_t argument;
    std::int32_t action;
    std::uint8_t pressed;
    std::uint8_t lastButtonDown;
    std::uint8_t autoClick;
    Colour555 colour;
};
