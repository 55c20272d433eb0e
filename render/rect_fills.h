// The per-pixel fills of drawRect, on an already clamped and ordered box.
#pragma once

#include <cstdint>

#include "render/screen.h"

struct RectBox {
    std::int16_t x0;
    std::int16_t y0;
    std::int16_t x1;
    std::int16_t y1;
};

enum class GradientAxis { Horizontal, Vertical };

// secondAtStart: the second colour sits at the left column or top row.
void gradientFill(const RectBox& box, GradientAxis axis, bool secondAtStart, Colour555 first,
                  Colour555 second);
void tintFill(const RectBox& box, Colour555 colour);
