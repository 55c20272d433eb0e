// Whole-pixel scaling on high-DPI displays, for the desktop backends.
//
// The core draws a 640 by 480 picture and does its window arithmetic on a 96-DPI
// desktop. A backend on a denser display shows it that desktop divided by a
// whole scale N, sizes the real window for N times the client area, draws every
// frame-buffer pixel as an N by N block and divides mouse positions by N. Whole
// numbers keep every pixel crisp; a fractional scale would blur or unevenly
// double the one-pixel lines the wizard is drawn with.
#pragma once

#include <cerrno>
#include <cstdlib>

namespace display_scale {

inline constexpr int DesignWidth = 640;
inline constexpr int DesignHeight = 480;
inline constexpr int BaseDpi = 96;
inline constexpr int MaxScale = 8;

// The largest whole scale at or below dpi / 96 at which the design size plus the
// window's frame (physical pixels, at that DPI) fits the work area; at least 1.
inline int chooseScale(int dpi, int workWidth, int workHeight, int frameWidth, int frameHeight) {
    int scale = dpi / BaseDpi;
    if (scale > MaxScale)
        scale = MaxScale;
    while (scale > 1 && (DesignWidth * scale + frameWidth > workWidth ||
                         DesignHeight * scale + frameHeight > workHeight))
        --scale;
    return scale < 1 ? 1 : scale;
}

// TACTICO_SCALE: a whole number from 1 to MaxScale replaces the chosen scale.
// Anything else (unset, empty, 0, "2x", 2.5) is no override and gives 0.
inline int scaleOverride(const char* text) {
    if (text == nullptr || *text < '0' || *text > '9')
        return 0;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > MaxScale)
        return 0;
    return static_cast<int>(value);
}

// Physical to logical: rounds towards minus infinity, so that a position just
// left of or above the client area (a captured drag) stays outside it.
inline int toLogical(int physical, int scale) {
    return physical >= 0 ? physical / scale : -((-physical + scale - 1) / scale);
}

// Where a window of physicalOuter pixels goes so that its centre is where the
// core centred its logical window (position logicalPosition, size logicalOuter).
inline int toPhysicalPosition(int logicalPosition, int logicalOuter, int physicalOuter, int scale) {
    const int centreTwice = (2 * logicalPosition + logicalOuter) * scale;
    return (centreTwice - physicalOuter) / 2;
}

// A window's outer size from the core's logical outer size: the client part
// scaled, the frame replaced by the real one.
inline int toPhysicalOuter(int logicalOuter, int logicalFrame, int physicalFrame, int scale) {
    return (logicalOuter - logicalFrame) * scale + physicalFrame;
}

// Where a window of the given outer size goes after a change of DPI: centred on
// the place the system suggests, moved back inside the work area where it would
// stick out, its top left corner inside when it is larger than the work area.
struct Box {
    int left;
    int top;
    int width;
    int height;
};
inline int placeOnAxis(int size, int suggestedStart, int suggestedSize, int workStart,
                       int workSize) {
    int at = suggestedStart + (suggestedSize - size) / 2;
    if (at > workStart + workSize - size)
        at = workStart + workSize - size;
    return at < workStart ? workStart : at;
}
inline Box placeAfterDpiChange(int width, int height, const Box& suggested, const Box& workArea) {
    return Box{placeOnAxis(width, suggested.left, suggested.width, workArea.left, workArea.width),
               placeOnAxis(height, suggested.top, suggested.height, workArea.top, workArea.height),
               width, height};
}

} // namespace display_scale
