#include <initializer_list>

#include "platform/display_scale.h"
#include "platform/win32/win32_platform.h"

namespace win32 {
namespace {

WindowProcedure coreProcedure = nullptr;
PAINTSTRUCT paintState;
// The last message taken from the queue, so translation and dispatch see its
// time and cursor position, which the platform-neutral record does not carry.
MSG lastTaken;

LPARAM logicalPoint(LPARAM lParam) {
    const int scale = currentScale();
    const int x = display_scale::toLogical(static_cast<short>(LOWORD(lParam)), scale);
    const int y = display_scale::toLogical(static_cast<short>(HIWORD(lParam)), scale);
    return MAKELPARAM(x, y);
}

LRESULT minMaxInfo(HWND window, MINMAXINFO* info) {
    const int scale = currentScale();
    MINMAXINFO logical = *info;
    for (POINT* point : {&logical.ptMaxSize, &logical.ptMaxPosition, &logical.ptMinTrackSize,
                         &logical.ptMaxTrackSize}) {
        point->x /= scale;
        point->y /= scale;
    }
    const LRESULT result =
        coreProcedure(fromHwnd(window), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&logical));
    scaleMinMaxInfo(info, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), logical);
    return result;
}

// Moved to a display of another DPI: the system suggests a place; the size is
// this program's own whole-pixel choice. The size message that follows gives
// the core its unchanged logical client area and a full repaint.
LRESULT dpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    const RECT target =
        rescaleForDpi(window, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    SetWindowPos(window, nullptr, target.left, target.top, target.right - target.left,
                 target.bottom - target.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

// The window is a Unicode one, so that its title is whole whatever the ANSI code
// page; the core takes a typed character as one byte, so it arrives as its ANSI
// byte, or not at all where that code page lacks it. Never as a look-alike: a
// typed "Ł" that became "L" would name another folder.
WPARAM ansiCharacter(WPARAM character) {
    const auto wide = static_cast<wchar_t>(character);
    char bytes[8];
    BOOL lost = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes,
                                           sizeof bytes, nullptr, &lost);
    return length == 1 && !lost ? static_cast<unsigned char>(bytes[0]) : 0;
}

// The core works in logical pixels: positions and sizes on the way in are divided
// by the scale, size limits on the way out multiplied.
LRESULT CALLBACK realWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (coreProcedure == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_CHAR:
        wParam = ansiCharacter(wParam);
        if (wParam == 0) {
            return 0;
        }
        break;
    case WM_DPICHANGED:
        return dpiChanged(window, wParam, lParam);
    case WM_GETOBJECT:
        return answerGetObject(window, wParam, lParam);
    case WM_GETMINMAXINFO:
        return minMaxInfo(window, reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_SIZE:
        lParam = MAKELPARAM(LOWORD(lParam) / currentScale(), HIWORD(lParam) / currentScale());
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        lParam = logicalPoint(lParam);
        break;
    default:
        break;
    }
    return coreProcedure(fromHwnd(window), message, wParam, lParam);
}

MSG toMsg(const PlatformMessage* message) {
    MSG msg = lastTaken;
    msg.hwnd = toHwnd(message->window);
    msg.message = message->message;
    msg.wParam = message->wParam;
    msg.lParam = message->lParam;
    return msg;
}

} // namespace

void registerWindowClass(const char* className, WindowProcedure procedure, int iconResource) {
    coreProcedure = procedure;
    const std::wstring name = wideFromUtf8(className);
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = realWindowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = moduleInstance();
    windowClass.hIcon = LoadIconW(moduleInstance(), MAKEINTRESOURCEW(iconResource));
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = name.c_str();
    RegisterClassW(&windowClass);
}

WindowHandle createWindow(const char* className, const char* title, std::uint32_t style, int x,
                          int y, int outerWidth, int outerHeight) {
    const RECT placed = physicalWindowRect(style, x, y, outerWidth, outerHeight);
    HWND window =
        CreateWindowW(wideFromUtf8(className).c_str(), wideFromUtf8(title).c_str(), style,
                      placed.left, placed.top, placed.right - placed.left,
                      placed.bottom - placed.top, nullptr, nullptr, moduleInstance(), nullptr);
    if (window != nullptr) {
        matchWindowDpi(window);
        describeWindow(window);
    }
    return fromHwnd(window);
}

void showWindow(WindowHandle window, bool maximised) {
    ShowWindow(toHwnd(window), maximised ? SW_SHOWMAXIMIZED : SW_SHOW);
}

void hideWindow(WindowHandle window) {
    ShowWindow(toHwnd(window), SW_HIDE);
}

void destroyWindow(WindowHandle window) {
    forgetAccessible();
    DestroyWindow(toHwnd(window));
}

void setWindowText(WindowHandle window, const char* text) {
    SetWindowTextW(toHwnd(window), wideFromUtf8(text).c_str());
}

PlatformRect getClientRect(WindowHandle window) {
    RECT rect{};
    GetClientRect(toHwnd(window), &rect);
    const int scale = currentScale();
    return PlatformRect{rect.left / scale, rect.top / scale, rect.right / scale,
                        rect.bottom / scale};
}

void invalidateWindow(WindowHandle window) {
    InvalidateRect(toHwnd(window), nullptr, FALSE);
}

void beginPaint(WindowHandle window) {
    BeginPaint(toHwnd(window), &paintState);
}

void endPaint(WindowHandle window) {
    EndPaint(toHwnd(window), &paintState);
}

LResult defaultWindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                               LParam lParam) {
    return DefWindowProcW(toHwnd(window), message, wParam, lParam);
}

bool peekMessage() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

bool getMessage(PlatformMessage* message) {
    // -1 is an error with nothing taken, not a message to dispatch.
    if (GetMessageW(&lastTaken, nullptr, 0, 0) <= 0) {
        return false;
    }
    message->window = fromHwnd(lastTaken.hwnd);
    message->message = lastTaken.message;
    message->wParam = lastTaken.wParam;
    message->lParam = lastTaken.lParam;
    return true;
}

void translateMessage(const PlatformMessage* message) {
    MSG msg = toMsg(message);
    TranslateMessage(&msg);
}

LResult dispatchMessage(const PlatformMessage* message) {
    MSG msg = toMsg(message);
    return DispatchMessageW(&msg);
}

PlatformRect workArea() {
    return logicalWorkArea();
}

int systemMetric(SystemMetric metric) {
    return logicalSystemMetric(metric);
}

} // namespace win32
