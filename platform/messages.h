// Window messages, size types, virtual-key codes and window styles with their
// Windows numbers, so that every backend hands the core the same values a real
// Windows window procedure would see. Named apart from <windows.h>'s macros so
// that the Win32 backend can include both.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace win {

inline constexpr std::uint32_t kWmSize = 0x0005;
inline constexpr std::uint32_t kWmPaint = 0x000F;
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmGetMinMaxInfo = 0x0024;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kWmChar = 0x0102;
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;
inline constexpr std::uint32_t kWmMButtonDown = 0x0207;
inline constexpr std::uint32_t kWmMButtonUp = 0x0208;
inline constexpr std::uint32_t kWmMouseWheel = 0x020A;
inline constexpr std::uint32_t kWmApp = 0x8000;
// Private to this program: assistive technology pressed the button in slot wParam.
inline constexpr std::uint32_t kWmPressSlot = kWmApp + 1;

inline constexpr WParam kSizeRestored = 0;
inline constexpr WParam kSizeMinimized = 1;
inline constexpr WParam kSizeMaximized = 2;

inline constexpr std::uint32_t kVkBack = 0x08;
inline constexpr std::uint32_t kVkTab = 0x09;
inline constexpr std::uint32_t kVkReturn = 0x0D;
inline constexpr std::uint32_t kVkShift = 0x10;
inline constexpr std::uint32_t kVkControl = 0x11;
inline constexpr std::uint32_t kVkEscape = 0x1B;
inline constexpr std::uint32_t kVkSpace = 0x20;
inline constexpr std::uint32_t kVkPrior = 0x21;
inline constexpr std::uint32_t kVkNext = 0x22;
inline constexpr std::uint32_t kVkEnd = 0x23;
inline constexpr std::uint32_t kVkHome = 0x24;
inline constexpr std::uint32_t kVkLeft = 0x25;
inline constexpr std::uint32_t kVkUp = 0x26;
inline constexpr std::uint32_t kVkRight = 0x27;
inline constexpr std::uint32_t kVkDown = 0x28;
inline constexpr std::uint32_t kVkInsert = 0x2D;
inline constexpr std::uint32_t kVkDelete = 0x2E;
inline constexpr std::uint32_t kVkAdd = 0x6B;
inline constexpr std::uint32_t kVkSubtract = 0x6D;
inline constexpr std::uint32_t kVkF1 = 0x70;
inline constexpr std::uint32_t kVkF12 = 0x7B;

inline constexpr std::uint32_t kWsOverlapped = 0x00000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kWsThickFrame = 0x00040000;
inline constexpr std::uint32_t kWsMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kWsMaximizeBox = 0x00010000;
inline constexpr std::uint32_t kWsOverlappedWindow = 0x00CF0000;

// Same layout as the Windows POINT and MINMAXINFO (LONG is 32-bit there), so the
// Win32 backend can pass the real record through unchanged.
struct Point {
    std::int32_t x;
    std::int32_t y;
};
struct MinMaxInfo {
    Point ptReserved;
    Point ptMaxSize;
    Point ptMaxPosition;
    Point ptMinTrackSize;
    Point ptMaxTrackSize;
};

inline constexpr std::uint16_t loWord(std::uintptr_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}
inline constexpr std::uint16_t hiWord(std::uintptr_t value) {
    return static_cast<std::uint16_t>((value >> 16) & 0xFFFF);
}
inline constexpr LParam makeLParam(std::int32_t low, std::int32_t high) {
    return static_cast<LParam>(
        static_cast<std::uint32_t>((static_cast<std::uint32_t>(low) & 0xFFFF) |
                                   ((static_cast<std::uint32_t>(high) & 0xFFFF) << 16)));
}
inline constexpr WParam makeWParam(std::int32_t low, std::int32_t high) {
    return static_cast<WParam>(static_cast<std::uint32_t>(makeLParam(low, high)));
}

// The character messages TranslateMessage makes for keys that type a control
// character; 0 for every other key.
inline constexpr std::uint8_t controlCharacterFor(std::uint32_t virtualKey) {
    switch (virtualKey) {
    case kVkBack:
        return 8;
    case kVkTab:
        return 9;
    case kVkReturn:
        return 13;
    case kVkEscape:
        return 27;
    default:
        return 0;
    }
}

} // namespace win
