#include "platform/win32/win32_platform.h"

namespace win32 {

void presentRect(WindowHandle window, const void* pixels, std::int32_t pitch, std::int16_t width,
                 std::int16_t height, std::int16_t left, std::int16_t top, std::int16_t right,
                 std::int16_t bottom) {
    // 16-bit BI_RGB rows are padded to 4 bytes, which is how the frame buffer's
    // pitch is chosen; the pitch itself therefore need not be passed on.
    (void)pitch;
    HWND hwnd = toHwnd(window);
    HDC context = GetDC(hwnd);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 16;
    info.bmiHeader.biCompression = BI_RGB;

    SetMapMode(context, MM_TEXT);
    SetStretchBltMode(context, COLORONCOLOR);
    const int copyWidth = right - left + 1;
    const int copyHeight = bottom - top + 1;
    // StretchDIBits counts the source rectangle up from the image's bottom edge
    // even for a top-down bitmap.
    const auto sourceY = static_cast<std::int16_t>(height - 1 - bottom);
    // A whole scale with COLORONCOLOR repeats each pixel as a block, never blends.
    const int scale = currentScale();
    StretchDIBits(context, left * scale, top * scale, copyWidth * scale, copyHeight * scale, left,
                  sourceY, copyWidth, copyHeight, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(hwnd, context);
}

} // namespace win32
