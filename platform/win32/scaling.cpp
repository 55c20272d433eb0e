#include <cstdlib>

#include "platform/display_scale.h"
#include "platform/win32/win32_platform.h"

namespace win32 {
namespace {

// Functions of newer Windows than the oldest this program runs on, looked up at
// run time so that the program still starts on Vista and 7.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Function> Function user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

struct State {
    bool chosen = false;
    int scale = 1;
    int dpi = display_scale::BaseDpi;
};

State& state() {
    static State instance;
    return instance;
}

// For a process that declared DPI awareness this is the primary display's DPI;
// for one the system scales by itself it is 96.
int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : display_scale::BaseDpi;
}

// The frame around a client area of the given style: width and height together.
SIZE frameSize(DWORD style, int dpi) {
    RECT rect{0, 0, 0, 0};
    static const auto forDpi =
        user32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (forDpi == nullptr || !forDpi(&rect, style, FALSE, 0, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&rect, style, FALSE, 0);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

RECT monitorWorkArea(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor != nullptr && GetMonitorInfoA(monitor, &info))
        return info.rcWork;
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// The frame the core's window has before one exists: the wider resizable one,
// so that whatever style the core picks still fits.
constexpr DWORD LargestFrameStyle = WS_OVERLAPPEDWINDOW;

int scaleFor(int dpi, const RECT& workArea, DWORD style) {
    if (const int forced = display_scale::scaleOverride(std::getenv("TACTICO_SCALE")); forced > 0)
        return forced;
    const SIZE frame = frameSize(style, dpi);
    return display_scale::chooseScale(dpi, workArea.right - workArea.left,
                                      workArea.bottom - workArea.top, frame.cx, frame.cy);
}

void ensureChosen() {
    State& s = state();
    if (s.chosen)
        return;
    s.chosen = true;
    s.dpi = systemDpi();
    const HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    s.scale = scaleFor(s.dpi, monitorWorkArea(primary), LargestFrameStyle);
}

int metricIndex(SystemMetric metric) {
    switch (metric) {
    case SystemMetric::FixedFrameWidth:
        return SM_CXFIXEDFRAME;
    case SystemMetric::FixedFrameHeight:
        return SM_CYFIXEDFRAME;
    case SystemMetric::SizingFrameWidth:
        return SM_CXFRAME;
    case SystemMetric::SizingFrameHeight:
        return SM_CYFRAME;
    case SystemMetric::CaptionHeight:
        return SM_CYCAPTION;
    }
    return -1;
}

int logicalMetricIndex(int index) {
    static const auto forDpi = user32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi != nullptr)
        return forDpi(index, display_scale::BaseDpi);
    return MulDiv(GetSystemMetrics(index), display_scale::BaseDpi, systemDpi());
}

// The frame the core added around its client area, from the metrics it was given.
SIZE logicalFrame(DWORD style) {
    const bool sizing = (style & WS_THICKFRAME) != 0;
    const int border = logicalMetricIndex(sizing ? SM_CXFRAME : SM_CXFIXEDFRAME);
    const int borderHeight = logicalMetricIndex(sizing ? SM_CYFRAME : SM_CYFIXEDFRAME);
    return SIZE{2 * border, logicalMetricIndex(SM_CYCAPTION) + 2 * borderHeight};
}

} // namespace

int currentScale() {
    ensureChosen();
    return state().scale;
}

int logicalSystemMetric(SystemMetric metric) {
    const int index = metricIndex(metric);
    return index < 0 ? 0 : logicalMetricIndex(index);
}

PlatformRect logicalWorkArea() {
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int scale = currentScale();
    return PlatformRect{area.left / scale, area.top / scale, area.right / scale,
                        area.bottom / scale};
}

RECT physicalWindowRect(DWORD style, int x, int y, int outerWidth, int outerHeight) {
    const int scale = currentScale();
    const SIZE logical = logicalFrame(style);
    const SIZE physical = frameSize(style, state().dpi);
    const int width = display_scale::toPhysicalOuter(outerWidth, logical.cx, physical.cx, scale);
    const int height = display_scale::toPhysicalOuter(outerHeight, logical.cy, physical.cy, scale);
    const int left = display_scale::toPhysicalPosition(x, outerWidth, width, scale);
    const int top = display_scale::toPhysicalPosition(y, outerHeight, height, scale);
    return RECT{left, top, left + width, top + height};
}

void matchWindowDpi(HWND window) {
    static const auto forWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    ensureChosen();
    const int dpi = forWindow != nullptr ? static_cast<int>(forWindow(window)) : 0;
    if (dpi <= 0 || dpi == state().dpi)
        return;
    // The system DPI lags behind a display whose scaling changed since the user
    // signed in; the window's own DPI is the current one.
    RECT placed{};
    GetWindowRect(window, &placed);
    const RECT target = rescaleForDpi(window, dpi, placed);
    SetWindowPos(window, nullptr, target.left, target.top, target.right - target.left,
                 target.bottom - target.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void scaleMinMaxInfo(MINMAXINFO* info, DWORD style, const MINMAXINFO& logical) {
    const int scale = currentScale();
    const SIZE logicalFrameSize = logicalFrame(style);
    const SIZE physicalFrameSize = frameSize(style, state().dpi);
    const auto width = [&](LONG outer) {
        return display_scale::toPhysicalOuter(outer, logicalFrameSize.cx, physicalFrameSize.cx,
                                              scale);
    };
    const auto height = [&](LONG outer) {
        return display_scale::toPhysicalOuter(outer, logicalFrameSize.cy, physicalFrameSize.cy,
                                              scale);
    };
    info->ptMaxSize = POINT{width(logical.ptMaxSize.x), height(logical.ptMaxSize.y)};
    info->ptMaxPosition =
        POINT{display_scale::toPhysicalPosition(logical.ptMaxPosition.x, logical.ptMaxSize.x,
                                                info->ptMaxSize.x, scale),
              display_scale::toPhysicalPosition(logical.ptMaxPosition.y, logical.ptMaxSize.y,
                                                info->ptMaxSize.y, scale)};
    info->ptMinTrackSize = POINT{width(logical.ptMinTrackSize.x), height(logical.ptMinTrackSize.y)};
    info->ptMaxTrackSize = POINT{width(logical.ptMaxTrackSize.x), height(logical.ptMaxTrackSize.y)};
}

RECT rescaleForDpi(HWND window, int dpi, const RECT& suggested) {
    State& s = state();
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    RECT client{};
    GetClientRect(window, &client);
    const int logicalWidth = (client.right - client.left) / s.scale;
    const int logicalHeight = (client.bottom - client.top) / s.scale;

    const HMONITOR monitor = MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST);
    const RECT work = monitorWorkArea(monitor);
    s.dpi = dpi;
    s.scale = scaleFor(dpi, work, style);

    const SIZE frame = frameSize(style, dpi);
    const int width = logicalWidth * s.scale + frame.cx;
    const int height = logicalHeight * s.scale + frame.cy;
    const auto box = [](const RECT& rect) {
        return display_scale::Box{rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top};
    };
    const display_scale::Box placed =
        display_scale::placeAfterDpiChange(width, height, box(suggested), box(work));
    return RECT{placed.left, placed.top, placed.left + width, placed.top + height};
}

} // namespace win32
