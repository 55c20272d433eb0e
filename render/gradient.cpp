#include <algorithm>
#include <cstdint>
#include <cstring>

#include "render/draw.h"
#include "render/rect_fills.h"

namespace {

struct Channels {
    std::int32_t r;
    std::int32_t g;
    std::int32_t b;
};

Channels widen(Colour555 c) {
    return {((c >> 10) & 31) << 3, ((c >> 5) & 31) << 3, (c & 31) << 3};
}

// Interpolated channel values before dithering.
Channels interpolate(const Channels& start, const Channels& end, std::int32_t t,
                     std::int32_t span) {
    return {(start.r * (span - t) + end.r * t) / span, (start.g * (span - t) + end.g * t) / span,
            (start.b * (span - t) + end.b * t) / span};
}

// Stores q plus the carried error and keeps the three dropped bits for the
// next pixel of the row.
Colour555 dither(const Channels& q, Channels& error) {
    const std::int32_t r = std::clamp(q.r + error.r, 0, 255);
    const std::int32_t g = std::clamp(q.g + error.g, 0, 255);
    const std::int32_t b = std::clamp(q.b + error.b, 0, 255);
    error = {r & 7, g & 7, b & 7};
    return static_cast<Colour555>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

} // namespace

void gradientFill(const RectBox& box, GradientAxis axis, bool secondAtStart, Colour555 first,
                  Colour555 second) {
    const bool horizontal = axis == GradientAxis::Horizontal;
    const bool keepExisting = (second & KeepExisting) != 0;
    const std::int32_t w = box.x1 - box.x0 + 1;
    const std::int32_t h = box.y1 - box.y0 + 1;
    // A single column (or row) has no run to spread the colours over: it takes
    // the first colour rather than dividing by zero.
    const std::int32_t span = horizontal ? w - 1 : h - 1;
    const Channels a = widen(first);
    const Channels fixed = widen(second);
    const auto level = [&](const Channels& b, std::int32_t t) {
        if (span == 0) {
            return a;
        }
        return secondAtStart ? interpolate(b, a, t, span) : interpolate(a, b, t, span);
    };

    std::uint8_t* rowBytes =
        screen.buffer + static_cast<std::int32_t>(box.y0) * screen.pitch + 2 * box.x0;
    for (std::int32_t j = 0; j < h; ++j, rowBytes += screen.pitch) {
        auto* row = reinterpret_cast<Colour555*>(rowBytes);
        // With fixed colours every row of a horizontal gradient is the same,
        // error included, since the error restarts on each row.
        if (horizontal && !keepExisting && j > 0) {
            std::memcpy(row, rowBytes - screen.pitch, static_cast<std::size_t>(w) * 2);
            continue;
        }
        Channels error{0, 0, 0};
        if (!horizontal && !keepExisting) {
            // q + e never exceeds 255, so the carried error repeats after at
            // most eight pixels and so does the row.
            const Channels q = level(fixed, j);
            const std::int32_t period = std::min(w, 8);
            for (std::int32_t i = 0; i < period; ++i) {
                row[i] = dither(q, error);
            }
            for (std::int32_t i = period; i < w; ++i) {
                row[i] = row[i - 8];
            }
            continue;
        }
        const std::int32_t t0 = horizontal ? 0 : j;
        for (std::int32_t i = 0; i < w; ++i) {
            const Channels b = keepExisting ? widen(row[i]) : fixed;
            const std::int32_t t = horizontal ? i : t0;
            row[i] = dither(level(b, t), error);
        }
    }
}

void tintFill(const RectBox& box, Colour555 colour) {
    const std::int32_t r2 = ((colour >> 10) & 31) * 2;
    const std::int32_t g2 = ((colour >> 5) & 31) * 2;
    const std::int32_t b2 = (colour & 31) * 2;
    const std::int32_t w = box.x1 - box.x0 + 1;
    std::uint8_t* rowBytes =
        screen.buffer + static_cast<std::int32_t>(box.y0) * screen.pitch + 2 * box.x0;
    for (std::int32_t y = box.y0; y <= box.y1; ++y, rowBytes += screen.pitch) {
        auto* row = reinterpret_cast<Colour555*>(rowBytes);
        for (std::int32_t i = 0; i < w; ++i) {
            const Colour555 p = row[i];
            const std::int32_t r = (((p >> 10) & 31) + r2) / 3;
            const std::int32_t g = (((p >> 5) & 31) + g2) / 3;
            const std::int32_t b = ((p & 31) + b2) / 3;
            row[i] = static_cast<Colour555>(r << 10 | g << 5 | b);
        }
    }
}
