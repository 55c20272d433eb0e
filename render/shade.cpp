#include <algorithm>
#include <cstdint>

#include "render/draw.h"

std::uint16_t shadeColour(std::uint16_t colour, std::int16_t percent, std::uint8_t layout) {
    std::int32_t red, green, blue;
    if (layout == 0) {
        red = ((colour >> 10) & 31) << 3;
        green = ((colour >> 5) & 31) << 3;
        blue = (colour & 31) << 3;
    } else {
        red = ((colour >> 11) & 31) << 3;
        green = ((colour >> 5) & 63) << 2;
        blue = (colour & 31) << 3;
    }
    // A negative percentage would carry sign bits into the neighbouring
    // channels; it darkens to black instead.
    const auto scale = [percent](std::int32_t channel) {
        return std::clamp(channel * percent / 100, 0, 255);
    };
    red = scale(red);
    green = scale(green);
    blue = scale(blue);
    if (layout == 0) {
        return static_cast<std::uint16_t>((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
    }
    return static_cast<std::uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
}
