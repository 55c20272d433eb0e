#include "platform/win32/win32_platform.h"

// Needs the types of <windows.h>, which the line above brings in.
#include <shellapi.h>

namespace win32 {

void messageBox(const char* title, const char* text) {
    MessageBoxA(nullptr, text, title, MB_OK);
}

void shellOpen(const char* path) {
    ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

CursorHandle loadCursor(int resourceId) {
    return fromHcursor(LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(resourceId)));
}

CursorHandle loadSystemCursor(SystemCursor cursor) {
    const char* id = cursor == SystemCursor::Wait ? IDC_WAIT : IDC_ARROW;
    return fromHcursor(LoadCursorA(nullptr, id));
}

CursorHandle getCursor() {
    return fromHcursor(GetCursor());
}

void setCursor(CursorHandle cursor) {
    SetCursor(toHcursor(cursor));
}

void showCursor(bool show) {
    ShowCursor(show ? TRUE : FALSE);
}

void destroyCursor(CursorHandle cursor) {
    DestroyCursor(toHcursor(cursor));
}

} // namespace win32
