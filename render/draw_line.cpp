#include <cstdint>
#include <cstdlib>
#include <utility>

#include "render/draw.h"
#include "render/fill_row.h"

namespace {

bool dashOn(std::int32_t k) {
    return k % 6 < 4;
}

void horizontalRun(std::int16_t x0, std::int16_t x1, std::int16_t y, bool solid, Colour555 colour) {
    Colour555* pixels = pixelRow(y) + x0;
    const std::int32_t count = x1 - x0 + 1;
    if (solid) {
        fillPixels(pixels, count, colour);
        return;
    }
    for (std::int32_t k = 0; k < count; ++k) {
        if (dashOn(k)) {
            pixels[k] = colour;
        }
    }
}

void verticalRun(std::int16_t x, std::int16_t y0, std::int16_t y1, bool solid, Colour555 colour) {
    auto* row = screen.buffer + static_cast<std::int32_t>(y0) * screen.pitch + 2 * x;
    for (std::int32_t k = 0; k <= y1 - y0; ++k, row += screen.pitch) {
        if (solid || dashOn(k)) {
            *reinterpret_cast<Colour555*>(row) = colour;
        }
    }
}

// Bresenham on the unclamped end points; only the part inside the clamped box
// is written, and the dash counter runs over that part alone.
void slopedLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                std::int16_t bx0, std::int16_t by0, std::int16_t bx1, std::int16_t by1, bool solid,
                Colour555 colour) {
    const std::int32_t adx = std::abs(x1 - x0);
    const std::int32_t ady = std::abs(y1 - y0);
    const bool steep = adx < ady;

    // Walk in (major, minor) terms; the byte steps translate them to the buffer.
    std::int32_t major0 = steep ? y0 : x0;
    std::int32_t minor0 = steep ? x0 : y0;
    std::int32_t major1 = steep ? y1 : x1;
    std::int32_t minor1 = steep ? x1 : y1;
    if (major0 > major1) {
        std::swap(major0, major1);
        std::swap(minor0, minor1);
    }
    const std::int32_t minorStep = minor1 > minor0 ? 1 : -1;
    const std::int32_t majorDiff = major1 - major0;
    const std::int32_t minorDiff = std::abs(minor1 - minor0);

    const std::int32_t majorLo = steep ? by0 : bx0;
    const std::int32_t majorHi = steep ? by1 : bx1;
    const std::int32_t minorLo = steep ? bx0 : by0;
    const std::int32_t minorHi = steep ? bx1 : by1;
    const std::int64_t majorBytes = steep ? screen.pitch : 2;
    const std::int64_t minorBytes =
        (steep ? 2 : static_cast<std::int64_t>(screen.pitch)) * minorStep;

    std::int32_t decision = 2 * minorDiff - majorDiff;
    std::int32_t minor = minor0;
    // Offset of the current point from the buffer start; only dereferenced
    // while the point is inside the box.
    std::int64_t offset = steep ? static_cast<std::int64_t>(major0) * screen.pitch + 2LL * minor0
                                : static_cast<std::int64_t>(minor0) * screen.pitch + 2LL * major0;
    std::int32_t k = 0;
    for (std::int32_t major = major0;; ++major) {
        if (major >= majorLo && major <= majorHi && minor >= minorLo && minor <= minorHi) {
            if (solid || dashOn(k)) {
                *reinterpret_cast<Colour555*>(screen.buffer + offset) = colour;
            }
            ++k;
        }
        if (major == major1) {
            break;
        }
        if (decision >= 0) {
            minor += minorStep;
            offset += minorBytes;
            decision += 2 * (minorDiff - majorDiff);
        } else {
            decision += 2 * minorDiff;
        }
        offset += majorBytes;
    }
}

} // namespace

int drawLine(std::int16_t x0, std::int16_t y0, std::int16_t x1, std::int16_t y1, int style,
             Colour555 colour) {
    if (!isScreenReady()) {
        return RenderNotReady;
    }
    std::int16_t cx0 = x0, cy0 = y0, cx1 = x1, cy1 = y1;
    clipToScreen(cx0, cy0, cx1, cy1);
    const bool solid = (style & 1) != 0;

    if (cy0 == cy1) {
        horizontalRun(cx0, cx1, cy0, solid, colour);
    } else if (cx0 == cx1) {
        verticalRun(cx0, cy0, cy1, solid, colour);
    } else {
        slopedLine(x0, y0, x1, y1, cx0, cy0, cx1, cy1, solid, colour);
    }
    return RenderOk;
}
