#include <new>

#include "app/bwio.h"
#include "app/window_state.h"
#include "platform/messages.h"
#include "platform/windows1252.h"
#include "render/font.h"
#include "render/screen.h"
#include "wizard/devices.h"

namespace window_state {
std::int16_t borderWidth = 0;
std::int16_t borderHeight = 0;
std::int16_t captionHeight = 0;
std::int16_t workAreaWidth = 0;
std::int16_t workAreaHeight = 0;
std::int16_t minWidth = -1;
std::int16_t maxWidth = -1;
std::int16_t minHeight = -1;
std::int16_t maxHeight = -1;

void readWorkArea() {
    const PlatformRect area = platform().workArea();
    workAreaWidth = static_cast<std::int16_t>(area.right - area.left + 1);
    workAreaHeight = static_cast<std::int16_t>(area.bottom - area.top + 1);
}
} // namespace window_state

namespace {

constexpr const char* WindowClassName = "main";

// A limit pair is only meaningful as a pair: one missing end drops both.
void pairLimits(std::int16_t& low, std::int16_t& high) {
    if (low == -1 || high == -1) {
        low = -1;
        high = -1;
    }
}

void fitLimits(std::int16_t& low, std::int16_t& high, std::int16_t requested) {
    if (low >= 0 && low >= requested)
        low = requested;
    if (high >= 0 && high <= requested)
        high = requested;
}

} // namespace

int BWIO::openGraphics(std::int16_t width, std::int16_t height, const char* title,
                       bool showMaximised, const Directory& fontDirectory, std::int16_t minHeight,
                       std::int16_t maxHeight, std::int16_t minWidth, std::int16_t maxWidth) {
    using namespace window_state;
    const PlatformOps& ops = platform();
    screen.settingUp = true;

    pairLimits(minWidth, maxWidth);
    pairLimits(minHeight, maxHeight);
    if (maxWidth == -1 && maxHeight == -1)
        showMaximised = false;
    fitLimits(minWidth, maxWidth, width);
    fitLimits(minHeight, maxHeight, height);

    const bool fixedFrame = maxWidth < 0 && maxHeight < 0;
    const std::uint32_t style =
        fixedFrame ? (win::kWsOverlapped | win::kWsCaption | win::kWsSysMenu | win::kWsMinimizeBox)
                   : win::kWsOverlappedWindow;

    borderWidth = static_cast<std::int16_t>(ops.systemMetric(
        fixedFrame ? SystemMetric::FixedFrameWidth : SystemMetric::SizingFrameWidth));
    borderHeight = static_cast<std::int16_t>(ops.systemMetric(
        fixedFrame ? SystemMetric::FixedFrameHeight : SystemMetric::SizingFrameHeight));
    captionHeight = static_cast<std::int16_t>(ops.systemMetric(SystemMetric::CaptionHeight));

    readWorkArea();
    const int fitWidth = workAreaWidth - 2 * borderWidth;
    const int fitHeight = workAreaHeight - captionHeight - 2 * borderHeight;
    if (width > fitWidth)
        width = static_cast<std::int16_t>(fitWidth);
    if (height > fitHeight)
        height = static_cast<std::int16_t>(fitHeight);
    // A desktop smaller than the frame itself would leave no client area at all,
    // and the frame buffer needs at least one pixel each way.
    if (width < 1)
        width = 1;
    if (height < 1)
        height = 1;

    window_state::minWidth = minWidth;
    window_state::maxWidth = maxWidth;
    window_state::minHeight = minHeight;
    window_state::maxHeight = maxHeight;
    screen.width = width;
    screen.height = height;

    ops.registerWindowClass(WindowClassName, windowProcedure, WindowIconResource);

    const int outerWidth = width + 2 * borderWidth;
    const int outerHeight = height + captionHeight + 2 * borderHeight;
    WindowHandle window =
        ops.createWindow(WindowClassName, utf8FromWindows1252(title).c_str(), style,
                         (workAreaWidth - outerWidth) / 2, (workAreaHeight - outerHeight) / 2,
                         outerWidth, outerHeight);
    if (window == nullptr)
        return RenderWindowFailed;
    screen.window = window;

    ops.showWindow(window, showMaximised);

    const PlatformRect client = ops.getClientRect(window);
    const int allocated =
        allocateFrameBuffer(static_cast<std::int16_t>(client.right - client.left),
                            static_cast<std::int16_t>(client.bottom - client.top));
    if (allocated != RenderOk)
        return allocated;
    screen.settingUp = false;

    if (screen.fontSlots != nullptr)
        return RenderOk;
    screen.fontSlots = new (std::nothrow) Font* [FontSlotCount] {};
    if (screen.fontSlots == nullptr)
        return RenderNoFontTableMemory;

    for (int slot = 0; slot < FontSlotCount; ++slot) {
        if (screen.fontSlots[slot] != nullptr)
            continue;
        const int loaded = loadFont(fontDirectory, slot);
        if (loaded != RenderOk)
            return loaded;
    }
    return RenderOk;
}

void BWIO::closeGraphics() {
    if (screen.window != nullptr) {
        platform().hideWindow(screen.window);
        platform().destroyWindow(screen.window);
        screen.window = nullptr;
    }
    if (screen.buffer != nullptr)
        freeFrameBuffer();
    if (screen.fontSlots != nullptr) {
        for (int slot = 0; slot < FontSlotCount; ++slot) {
            if (screen.fontSlots[slot] != nullptr)
                freeFont(slot);
        }
        delete[] screen.fontSlots;
        screen.fontSlots = nullptr;
    }
}

void BWIO::setWindowTitle(const char* text) {
    if (screen.window != nullptr)
        platform().setWindowText(screen.window, utf8FromWindows1252(text).c_str());
}

void BWIO::pumpMessages() {
    const PlatformOps& ops = platform();
    while (ops.peekMessage()) {
        PlatformMessage message{};
        if (ops.getMessage(&message)) {
            ops.translateMessage(&message);
            ops.dispatchMessage(&message);
        }
    }
    presentDirtyRect();
}
