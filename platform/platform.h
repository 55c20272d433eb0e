// The one boundary between the core and the desktop it runs on.
//
// The core (app/, render/, datafile/, update/, wizard/) talks to the desktop only
// through the table below. A backend (win32/, sdl/, headless/) fills one table and
// its entry point selects it once, before anything else runs; nothing in the core
// asks which backend it got. Messages crossing the boundary keep their Windows
// numbers and parameter packing (platform/messages.h).
//
// Texts for the desktop (titles, message boxes), paths and the record's values
// cross as UTF-8 (platform/file_io.h); a screen's description as the
// Windows-1252 bytes the screen draws.
#pragma once

#include <cstdint>
#include <string>

struct OpaqueWindow;
struct OpaqueCursor;
using WindowHandle = OpaqueWindow*;
using CursorHandle = OpaqueCursor*;
using InstanceHandle = void*;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using WindowProcedure = LResult (*)(WindowHandle window, std::uint32_t message, WParam wParam,
                                    LParam lParam);

struct ScreenDescription;
enum class ScreenEvent : std::uint8_t;

struct PlatformMessage {
    WindowHandle window;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
};

// Right and bottom are exclusive, as in a Windows RECT.
struct PlatformRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

enum class SystemMetric {
    FixedFrameWidth,
    FixedFrameHeight,
    SizingFrameWidth,
    SizingFrameHeight,
    CaptionHeight
};
enum class SystemCursor { Arrow, Wait };

struct PlatformOps {
    const char* name;

    // Process.
    InstanceHandle (*instance)();
    // Where the wizard looks for the game before the installation record says otherwise.
    const char* defaultInstallPath;

    // Window class and the one window.
    void (*registerWindowClass)(const char* className, WindowProcedure procedure, int iconResource);
    WindowHandle (*createWindow)(const char* className, const char* title, std::uint32_t style,
                                 int x, int y, int outerWidth, int outerHeight);
    void (*showWindow)(WindowHandle window, bool maximised);
    void (*hideWindow)(WindowHandle window);
    void (*destroyWindow)(WindowHandle window);
    void (*setWindowText)(WindowHandle window, const char* text);
    PlatformRect (*getClientRect)(WindowHandle window);
    // Marks the whole client area for a paint message, without erasing it.
    void (*invalidateWindow)(WindowHandle window);
    void (*beginPaint)(WindowHandle window);
    void (*endPaint)(WindowHandle window);
    LResult (*defaultWindowProcedure)(WindowHandle window, std::uint32_t message, WParam wParam,
                                      LParam lParam);

    // Message queue of the calling thread.
    bool (*peekMessage)();
    bool (*getMessage)(PlatformMessage* message);
    void (*translateMessage)(const PlatformMessage* message);
    LResult (*dispatchMessage)(const PlatformMessage* message);

    // Desktop.
    PlatformRect (*workArea)();
    int (*systemMetric)(SystemMetric metric);

    // Copies frame-buffer pixels left..right, top..bottom (inclusive) of a top-down
    // 16-bit 5-5-5 image to the same client position, 1:1.
    void (*presentRect)(WindowHandle window, const void* pixels, std::int32_t pitch,
                        std::int16_t width, std::int16_t height, std::int16_t left,
                        std::int16_t top, std::int16_t right, std::int16_t bottom);

    // Modal, no owner, one OK button.
    void (*messageBox)(const char* title, const char* text);
    // Opens a file with the desktop's viewer; does not wait for it.
    void (*shellOpen)(const char* path);

    // Cursors. loadCursor returns null when the resource cannot be made.
    CursorHandle (*loadCursor)(int resourceId);
    CursorHandle (*loadSystemCursor)(SystemCursor cursor);
    CursorHandle (*getCursor)();
    void (*setCursor)(CursorHandle cursor);
    void (*showCursor)(bool show);
    void (*destroyCursor)(CursorHandle cursor);

    // String values under HKEY_LOCAL_MACHINE\<keyPath>, of any length. Reads fail
    // where the registry's would (missing key or value, no string, a key the
    // caller may not read) and for a value that is no Unicode text.
    bool (*readRegistryString)(const char* keyPath, const char* valueName, std::string& value);
    // False when the value is not written, or is written but not yet sure to
    // survive a power cut; a caller that must tell the two apart reads it back.
    bool (*writeRegistryString)(const char* keyPath, const char* valueName, const char* text);
    // Makes what was written under keyPath, by this run or one before it, sure to
    // survive a power cut; needs no right to change it. Null: nothing to flush.
    bool (*flushRegistryKey)(const char* keyPath);

    // Whether the key was down when the message being handled was sent
    // (GetKeyState). May be null: no key is down.
    bool (*isKeyDown)(std::uint32_t virtualKey);
    // The screen as assistive technology should present it, after each change
    // (event says which). May be null: nothing listens.
    void (*screenDescribed)(const ScreenDescription& description, ScreenEvent event);
};

// Chosen once at start-up by the backend's entry point (or by a test).
void selectPlatform(const PlatformOps* ops);
const PlatformOps& platform();
