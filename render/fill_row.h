// Row writers shared by lines and solid fills.
#pragma once

#include <cstdint>
#include <cstring>

#include "render/screen.h"

// Two pixels per 32-bit store; memcpy keeps the store free of alignment and
// aliasing assumptions and still compiles to a plain store.
inline void fillPixels(Colour555* pixels, std::int32_t count, Colour555 colour) {
    const std::uint32_t pair = static_cast<std::uint32_t>(colour) << 16 | colour;
    std::int32_t pairs = count / 2;
    for (; pairs > 0; --pairs) {
        std::memcpy(pixels, &pair, sizeof pair);
        pixels += 2;
    }
    if (count & 1) {
        *pixels = colour;
    }
}
