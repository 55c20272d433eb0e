// The one drawing surface of the process: a 16-bit frame buffer as large as the
// window's client area, and the rectangle drawn into since the last presentation.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Bits 10-14 red, 5-9 green, 0-4 blue; bit 15 is a per-operation flag.
using Colour555 = std::uint16_t;

enum RenderResult : int {
    RenderOk = 0,
    RenderWindowFailed = 1,
    RenderNoFrameBufferMemory = 2,
    RenderNotReady = 3,
    RenderNoFontTableMemory = 6,
    RenderFontNotOpened = 7,
    RenderNoFontMemory = 8,
    RenderFontShort = 9,
    RenderNoGlyphMemory = 11,
    RenderNoText = 12,
    RenderEmptyFontSlot = 13,
};

// Inclusive bounds; all -1 when nothing has been drawn.
struct DirtyRect {
    std::int16_t left = -1;
    std::int16_t right = -1;
    std::int16_t top = -1;
    std::int16_t bottom = -1;
};

struct Font;
inline constexpr int FontSlotCount = 7;

struct Screen {
    WindowHandle window = nullptr;
    std::uint8_t* buffer = nullptr;
    std::int32_t pitch = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
    DirtyRect dirty;
    bool settingUp = false;
    Font** fontSlots = nullptr;
};

// Module-level: there is only ever one.
extern Screen screen;

int allocateFrameBuffer(std::int16_t width, std::int16_t height);
void freeFrameBuffer();
bool isScreenReady();
std::int16_t screenWidth();
std::int16_t screenHeight();
void clipToScreen(std::int16_t& x0, std::int16_t& y0, std::int16_t& x1, std::int16_t& y1);
void presentDirtyRect();

inline Colour555* pixelRow(std::int16_t y) {
    return reinterpret_cast<Colour555*>(screen.buffer +
                                        static_cast<std::int32_t>(y) * screen.pitch);
}
