#include "platform/win32/win32_platform.h"

namespace win32 {
namespace {

WindowProcedure coreProcedure = nullptr;
PAINTSTRUCT paintState;
// The last message taken from the queue, so translation and dispatch see its
// time and cursor position, which the platform-neutral record does not carry.
MSG lastTaken;

LRESULT CALLBACK realWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (coreProcedure == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
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

PlatformRect fromRect(const RECT& rect) {
    return PlatformRect{static_cast<std::int32_t>(rect.left), static_cast<std::int32_t>(rect.top),
                        static_cast<std::int32_t>(rect.right),
                        static_cast<std::int32_t>(rect.bottom)};
}

} // namespace

void registerWindowClass(const char* className, WindowProcedure procedure, int iconResource) {
    coreProcedure = procedure;
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = realWindowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = moduleInstance();
    windowClass.hIcon = LoadIconA(moduleInstance(), MAKEINTRESOURCEA(iconResource));
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
}

WindowHandle createWindow(const char* className, const char* title, std::uint32_t style, int x,
                          int y, int outerWidth, int outerHeight) {
    HWND window = CreateWindowA(className, title, style, x, y, outerWidth, outerHeight, nullptr,
                                nullptr, moduleInstance(), nullptr);
    return fromHwnd(window);
}

void showWindow(WindowHandle window, bool maximised) {
    ShowWindow(toHwnd(window), maximised ? SW_SHOWMAXIMIZED : SW_SHOW);
}

void hideWindow(WindowHandle window) {
    ShowWindow(toHwnd(window), SW_HIDE);
}

void destroyWindow(WindowHandle window) {
    DestroyWindow(toHwnd(window));
}

void setWindowText(WindowHandle window, const char* text) {
    SetWindowTextA(toHwnd(window), text);
}

PlatformRect getClientRect(WindowHandle window) {
    RECT rect{};
    GetClientRect(toHwnd(window), &rect);
    return fromRect(rect);
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
    return DefWindowProcA(toHwnd(window), message, wParam, lParam);
}

bool peekMessage() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

bool getMessage(PlatformMessage* message) {
    // -1 is an error with nothing taken, not a message to dispatch.
    if (GetMessageA(&lastTaken, nullptr, 0, 0) <= 0) {
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
    return DispatchMessageA(&msg);
}

PlatformRect workArea() {
    RECT rect{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rect, 0);
    return fromRect(rect);
}

int systemMetric(SystemMetric metric) {
    switch (metric) {
    case SystemMetric::FixedFrameWidth:
        return GetSystemMetrics(SM_CXFIXEDFRAME);
    case SystemMetric::FixedFrameHeight:
        return GetSystemMetrics(SM_CYFIXEDFRAME);
    case SystemMetric::SizingFrameWidth:
        return GetSystemMetrics(SM_CXFRAME);
    case SystemMetric::SizingFrameHeight:
        return GetSystemMetrics(SM_CYFRAME);
    case SystemMetric::CaptionHeight:
        return GetSystemMetrics(SM_CYCAPTION);
    }
    return 0;
}

} // namespace win32
