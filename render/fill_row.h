// Row writers shared by lines and solid fills.
#pragma once

#include <cstdint>
#include <cstddef>
#include <cwchar>

#include "render/screen.h"

// Two pixels per 32-bit store. The C library's wmemset is the best-tuned fill of
// 32-bit units there is (wchar_t has 32 bits on this system's compilers; where it
// has 16, as on Windows, it fills single pixels just as well).
inline void fillPixels(Colour555* pixels, std::int32_t count, Colour555 colour) {
    if (count <= 0) {
        return;
    }
    if constexpr (sizeof(wchar_t) == 2) {
        std::wmemset(reinterpret_cast<wchar_t*>(pixels), static_cast<wchar_t>(colour),
                     static_cast<std::size_t>(count));
    } else {
        if (reinterpret_cast<std::uintptr_t>(pixels) % sizeof(wchar_t) != 0) {
            *pixels++ = colour;
            --count;
        }
        const std::uint32_t pair = static_cast<std::uint32_t>(colour) << 16 | colour;
        std::wmemset(reinterpret_cast<wchar_t*>(pixels), static_cast<wchar_t>(pair),
                     static_cast<std::size_t>(count / 2));
        if (count & 1) {
            pixels[count - 1] = colour;
        }
    }
}
