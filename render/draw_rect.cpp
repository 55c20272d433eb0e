#include <cstdint>

#include "render/draw.h"
#include "render/fill_row.h"
#include "render/rect_fills.h"

namespace {

void outline(std::int16_t x0, std::int16_t y0, std::int16_t x1, std::int16_t y1, int style,
             Colour555 colour) {
    drawLine(x0, y0, x1, y0, style, colour);
    drawLine(x1, y0, x1, y1, style, colour);
    drawLine(x1, y1, x0, y1, style, colour);
    drawLine(x0, y1, x0, y0, style, colour);
}

void solidFill(std::int16_t x0, std::int16_t y0, std::int16_t x1, std::int16_t y1,
               Colour555 colour) {
    const std::int32_t w = x1 - x0 + 1;
    std::uint8_t* row = screen.buffer + static_cast<std::int32_t>(y0) * screen.pitch + 2 * x0;
    for (std::int32_t y = y0; y <= y1; ++y, row += screen.pitch) {
        fillPixels(reinterpret_cast<Colour555*>(row), w, colour);
    }
}

} // namespace

int drawRect(std::int16_t x0, std::int16_t y0, std::int16_t x1, std::int16_t y1, std::uint8_t mode,
             Colour555 colour, Colour555 secondColour) {
    if (!isScreenReady()) {
        return RenderNotReady;
    }
    clipToScreen(x0, y0, x1, y1);
    const RectBox box{x0, y0, x1, y1};

    if (mode & RectDashedOutline) {
        outline(x0, y0, x1, y1, LineDashed, colour);
    } else if (mode & RectSolidOutline) {
        outline(x0, y0, x1, y1, LineSolid, colour);
    } else if (mode & RectSolidFill) {
        solidFill(x0, y0, x1, y1, colour);
    } else if (mode & RectGradientRightToLeft) {
        gradientFill(box, GradientAxis::Horizontal, true, colour, secondColour);
    } else if (mode & RectGradientLeftToRight) {
        gradientFill(box, GradientAxis::Horizontal, false, colour, secondColour);
    } else if (mode & RectGradientBottomToTop) {
        gradientFill(box, GradientAxis::Vertical, true, colour, secondColour);
    } else if (mode & RectGradientTopToBottom) {
        gradientFill(box, GradientAxis::Vertical, false, colour, secondColour);
    } else if (mode & RectTint) {
        tintFill(box, colour);
    }
    return RenderOk;
}
