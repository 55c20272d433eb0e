// The Windows desktop behind the platform table.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace win32 {

// Selects the Windows table; hInstance is where the icon and cursors are loaded from.
void install(HINSTANCE instance);
const PlatformOps& ops();

// Shared between the backend's files.
HINSTANCE moduleInstance();

inline HWND toHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
inline WindowHandle fromHwnd(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}
inline HCURSOR toHcursor(CursorHandle cursor) {
    return reinterpret_cast<HCURSOR>(cursor);
}
inline CursorHandle fromHcursor(HCURSOR cursor) {
    return reinterpret_cast<CursorHandle>(cursor);
}

// Windows is handed text through its wide-character calls: the core's UTF-8
// (texts for the desktop, paths, the record's values) becomes UTF-16 here, and
// back. Neither direction replaces a character it cannot take: malformed UTF-8
// gives an empty text, and UTF-16 that is no Unicode (a lone surrogate) nothing.
std::wstring wideFromUtf8(std::string_view text);
std::optional<std::string> utf8FromWide(std::wstring_view wide);
// A path as the system's path calls take it at any length: full, with
// backslashes, and "\\?\" ahead. Nothing, with the system's error set, for text
// that is no UTF-8 or a path too long for any call.
std::optional<std::wstring> systemPath(std::string_view path);

// Window class, window and message queue.
void registerWindowClass(const char* className, WindowProcedure procedure, int iconResource);
WindowHandle createWindow(const char* className, const char* title, std::uint32_t style, int x,
                          int y, int outerWidth, int outerHeight);
void showWindow(WindowHandle window, bool maximised);
void hideWindow(WindowHandle window);
void destroyWindow(WindowHandle window);
void setWindowText(WindowHandle window, const char* text);
PlatformRect getClientRect(WindowHandle window);
void invalidateWindow(WindowHandle window);
void beginPaint(WindowHandle window);
void endPaint(WindowHandle window);
LResult defaultWindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                               LParam lParam);
bool peekMessage();
bool getMessage(PlatformMessage* message);
void translateMessage(const PlatformMessage* message);
LResult dispatchMessage(const PlatformMessage* message);
PlatformRect workArea();
int systemMetric(SystemMetric metric);

void presentRect(WindowHandle window, const void* pixels, std::int32_t pitch, std::int16_t width,
                 std::int16_t height, std::int16_t left, std::int16_t top, std::int16_t right,
                 std::int16_t bottom);

void messageBox(const char* title, const char* text);
void shellOpen(const char* path);
CursorHandle loadCursor(int resourceId);
CursorHandle loadSystemCursor(SystemCursor cursor);
CursorHandle getCursor();
void setCursor(CursorHandle cursor);
void showCursor(bool show);
void destroyCursor(CursorHandle cursor);

// Whole-pixel scaling (scaling.cpp): the core sees a 96-DPI desktop divided by the
// current scale; these translate between it and the real one.
int currentScale();
int logicalSystemMetric(SystemMetric metric);
PlatformRect logicalWorkArea();
// The real window for the core's logical outer rectangle: client area scaled,
// frame at the display's DPI, centred where the core centred it.
RECT physicalWindowRect(DWORD style, int x, int y, int outerWidth, int outerHeight);
// The window's own DPI may differ from the one the scale was chosen for.
void matchWindowDpi(HWND window);
// Fills the real size-limit record from the one the core filled in logical pixels.
void scaleMinMaxInfo(MINMAXINFO* info, DWORD style, const MINMAXINFO& logical);
// Picks the scale for a new DPI and returns the window's new outer rectangle.
RECT rescaleForDpi(HWND window, int dpi, const RECT& suggested);

// Assistive technology (accessible.cpp): the client area's IAccessible, built
// from the screen the core described last.
LRESULT answerGetObject(HWND window, WPARAM wParam, LPARAM lParam);
void describeWindow(HWND window);
void forgetAccessible();
void screenDescribed(const ScreenDescription& description, ScreenEvent event);
bool isKeyDown(std::uint32_t virtualKey);

bool readRegistryString(const char* keyPath, const char* valueName, std::string& value);
bool writeRegistryString(const char* keyPath, const char* valueName, const char* text);
bool flushRegistryKey(const char* keyPath);

} // namespace win32
