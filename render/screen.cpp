#include "render/screen.h"

#include <cstdlib>
#include <utility>

Screen screen;

int allocateFrameBuffer(std::int16_t width, std::int16_t height) {
    freeFrameBuffer();

    std::int32_t pitch = static_cast<std::int32_t>(width) * 2;
    if (pitch % 4 != 0) {
        pitch += 4 - pitch % 4;
    }
    screen.pitch = pitch;

    // A size of zero or below would make clamping produce -1 and every draw
    // write in front of the buffer; such a screen is refused like a failed
    // allocation.
    if (width < 1 || height < 1) {
        return RenderNoFrameBufferMemory;
    }
    auto* buffer = static_cast<std::uint8_t*>(
        std::calloc(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height), 1));
    if (buffer == nullptr) {
        return RenderNoFrameBufferMemory;
    }

    screen.buffer = buffer;
    screen.width = width;
    screen.height = height;
    screen.dirty.left = 0;
    screen.dirty.right = static_cast<std::int16_t>(width - 1);
    screen.dirty.top = 0;
    screen.dirty.bottom = static_cast<std::int16_t>(height - 1);
    return RenderOk;
}

void freeFrameBuffer() {
    std::free(screen.buffer);
    screen.buffer = nullptr;
}

bool isScreenReady() {
    return !screen.settingUp && screen.buffer != nullptr;
}

std::int16_t screenWidth() {
    return screen.width;
}

std::int16_t screenHeight() {
    return screen.height;
}

void clipToScreen(std::int16_t& x0, std::int16_t& y0, std::int16_t& x1, std::int16_t& y1) {
    const auto clamp = [](std::int16_t& value, std::int16_t size) {
        if (value < 0) {
            value = 0;
        }
        if (value >= size) {
            value = static_cast<std::int16_t>(size - 1);
        }
    };
    clamp(x0, screen.width);
    clamp(x1, screen.width);
    clamp(y0, screen.height);
    clamp(y1, screen.height);
    if (x0 > x1) {
        std::swap(x0, x1);
    }
    if (y0 > y1) {
        std::swap(y0, y1);
    }

    DirtyRect& dirty = screen.dirty;
    if (dirty.left == -1 || x0 < dirty.left) {
        dirty.left = x0;
    }
    if (dirty.right == -1 || x1 > dirty.right) {
        dirty.right = x1;
    }
    if (dirty.top == -1 || y0 < dirty.top) {
        dirty.top = y0;
    }
    if (dirty.bottom == -1 || y1 > dirty.bottom) {
        dirty.bottom = y1;
    }
}

void presentDirtyRect() {
    DirtyRect& dirty = screen.dirty;
    if (dirty.left == -1 || dirty.right == -1 || dirty.top == -1 || dirty.bottom == -1 ||
        screen.buffer == nullptr) {
        return;
    }
    const PlatformOps& ops = platform();
    if (ops.presentRect != nullptr) {
        ops.presentRect(screen.window, screen.buffer, screen.pitch, screen.width, screen.height,
                        dirty.left, dirty.top, dirty.right, dirty.bottom);
    }
    dirty = DirtyRect{};
}
