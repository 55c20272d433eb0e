#include <algorithm>

#include "app/bwio.h"
#include "app/window_state.h"
#include "platform/messages.h"
#include "render/screen.h"
#include "wizard/devices.h"

namespace {

void handleSize(WindowHandle window, WParam sizeType, LParam lParam) {
    if (screen.buffer == nullptr)
        return;
    if (sizeType != win::kSizeRestored && sizeType != win::kSizeMaximized)
        return;
    const auto packed = static_cast<std::uintptr_t>(lParam);
    allocateFrameBuffer(static_cast<std::int16_t>(win::loWord(packed)),
                        static_cast<std::int16_t>(win::hiWord(packed)));
    platform().invalidateWindow(window);
}

void handlePaint(WindowHandle window) {
    platform().beginPaint(window);
    if (!shell::painting && shell::running) {
        shell::painting = true;
        if (shell::application != nullptr)
            shell::application->buildScreen();
        if (KEYBOARD* keyboard = KEYBOARD::instance(); keyboard != nullptr)
            keyboard->clearKeys();
        if (MOUSE* mouse = MOUSE::instance(); mouse != nullptr)
            mouse->clearButtons();
        shell::painting = false;
    }
    platform().endPaint(window);
}

// One axis of the size-limit record. frame is what the window adds around the
// client area on that axis.
void fillAxis(std::int32_t workArea, std::int32_t frame, std::int16_t minimum, std::int16_t maximum,
              std::int16_t current, std::int32_t& maxSize, std::int32_t& maxPosition,
              std::int32_t& minTrack, std::int32_t& maxTrack) {
    if (maximum >= 0) {
        const std::int32_t largest = std::min<std::int32_t>(workArea, maximum + frame);
        maxSize = largest;
        maxPosition = (workArea - largest) / 2;
        minTrack = minimum + frame;
        maxTrack = largest;
    } else {
        const std::int32_t fixed = current + frame;
        maxSize = fixed;
        minTrack = fixed;
        maxTrack = fixed;
        maxPosition = (workArea - fixed) / 2;
    }
}

void handleMinMaxInfo(LParam lParam) {
    using namespace window_state;
    auto* info = reinterpret_cast<win::MinMaxInfo*>(lParam);
    if (info == nullptr)
        return;
    readWorkArea();
    fillAxis(workAreaWidth, 2 * borderWidth, minWidth, maxWidth, screen.width, info->ptMaxSize.x,
             info->ptMaxPosition.x, info->ptMinTrackSize.x, info->ptMaxTrackSize.x);
    fillAxis(workAreaHeight, captionHeight + 2 * borderHeight, minHeight, maxHeight, screen.height,
             info->ptMaxSize.y, info->ptMaxPosition.y, info->ptMinTrackSize.y,
             info->ptMaxTrackSize.y);
}

void handleMouseMove(LParam lParam) {
    if (MOUSE* mouse = MOUSE::instance(); mouse != nullptr)
        mouse->refreshCursor();
    const auto packed = static_cast<std::uintptr_t>(lParam);
    input::mouseX = static_cast<std::int16_t>(win::loWord(packed));
    input::mouseY = static_cast<std::int16_t>(win::hiWord(packed));
}

} // namespace

LResult windowProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case win::kWmSize:
        handleSize(window, wParam, lParam);
        return 0;
    case win::kWmPaint:
        handlePaint(window);
        return 0;
    case win::kWmClose:
        shell::closeRequested = true;
        return 0;
    case win::kWmGetMinMaxInfo:
        handleMinMaxInfo(lParam);
        return 0;
    case win::kWmKeyDown:
        input::keyLatch = static_cast<std::uint32_t>(wParam);
        input::shiftLatch = platform().isKeyDown != nullptr && platform().isKeyDown(win::kVkShift);
        return 0;
    case win::kWmPressSlot:
        input::pressLatch = static_cast<std::int32_t>(wParam) + 1;
        return 0;
    case win::kWmChar:
        input::characterLatch = static_cast<std::uint8_t>(wParam & 0xFF);
        return 0;
    case win::kWmMouseMove:
        handleMouseMove(lParam);
        return 0;
    case win::kWmLButtonDown:
        input::leftButton = 1;
        return 0;
    case win::kWmLButtonUp:
        input::leftButton = 0;
        return 0;
    case win::kWmRButtonDown:
        input::rightButton = 1;
        return 0;
    case win::kWmRButtonUp:
        input::rightButton = 0;
        return 0;
    case win::kWmMButtonDown:
        input::middleButton = 1;
        return 0;
    case win::kWmMButtonUp:
        input::middleButton = 0;
        return 0;
    case win::kWmMouseWheel:
        input::wheelTotal += static_cast<std::int16_t>(win::hiWord(wParam));
        return 0;
    default:
        return platform().defaultWindowProcedure(window, message, wParam, lParam);
    }
}
