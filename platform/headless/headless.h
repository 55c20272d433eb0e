// An in-memory desktop for tests and automation: a message queue that a test or
// a script posts into, a window surface that receives exactly what presentation
// copies, and message boxes, shell opens and cursor changes that are recorded
// (message boxes are answered OK at once).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/frame_metrics.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/screen_description.h"

namespace headless {

struct DesktopConfig : FrameMetrics {
    PlatformRect workArea{0, 0, 1024, 768};
    // Cursor resources that cannot be made (their loadCursor returns null).
    std::vector<int> missingCursorResources;
    // Makes createWindow fail.
    bool failWindowCreation = false;
    // Also prints every message box as "<title>: <text>" on stdout (for runs
    // without a user, where nobody would see the record).
    bool printMessageBoxes = false;
    // Prints each new screen's description on stdout.
    bool printScreens = false;
    // Where the wizard looks for the game before the record says otherwise.
    const char* defaultInstallPath = "/opt/tactdemo";
    // The installation record; null keeps this desktop's default store (the
    // record file on Linux). The Windows program passes the real registry.
    bool (*readRegistryString)(const char* keyPath, const char* valueName,
                               std::string& value) = nullptr;
    bool (*writeRegistryString)(const char* keyPath, const char* valueName,
                                const char* text) = nullptr;
    bool (*flushRegistryKey)(const char* keyPath) = nullptr;
};

struct MessageBoxRecord {
    std::string title;
    std::string text;
    bool windowExisted; // whether the application window existed when it was shown
};

struct WindowRecord {
    bool exists = false;
    bool visible = false;
    std::string className;
    std::string title;
    std::uint32_t style = 0;
    int x = 0, y = 0, outerWidth = 0, outerHeight = 0;
    int clientWidth = 0, clientHeight = 0;
};

// Resets the desktop (no window, empty queue, empty records) and selects the
// headless backend.
void install(const DesktopConfig& config = {});
const PlatformOps& ops();

// Queues a message for the application window, as the desktop would deliver it.
void post(std::uint32_t message, WParam wParam = 0, LParam lParam = 0);
// Conveniences that post what a user's action would cause (mouse move first).
// Move and left down now; left up at the next drain of the queue. Called from a pump
// hook, the press lands in this frame and the release in the next, so the
// wizard's buttons, polled once per frame, see a click.
void click(int x, int y);
void pressKey(std::uint32_t virtualKey,
              std::uint8_t character = 0); // key down (+ WM_CHAR via translate)
// One character per frame (see schedule): key down with the letter's or digit's
// virtual key and its character, or a bare WM_CHAR for other characters.
void typeText(const char* windows1252);
// Sets the client size at once and queues the WM_SIZE a real window would get.
// Minimising makes the client 0 x 0, as on Windows.
void resizeClient(int width, int height, WParam sizeType);
// Runs action at the next drain of the queue, one scheduled action per drain
// (before the pump hook). typeText uses it to type one character per frame,
// since between two frames only the newest key and character survive.
void schedule(std::function<void()> action);

// Called once per drain of the message queue, when the queue first runs empty:
// the hook may post the next user actions. The main loop drains once per frame,
// so a hook sees one call per frame.
void setPumpHook(std::function<void()> hook);

const WindowRecord& window();
// The screen as the application last described it.
const ScreenDescription& screenDescription();
// What presentation has copied to the window so far: width x height 5-5-5 pixels,
// row-major, top row first. Pixels never copied are 0.
const std::vector<std::uint16_t>& surface();

const std::vector<MessageBoxRecord>& messageBoxes();
const std::vector<std::string>& shellOpens();
// For each of shellOpens, the route to the desktop's user it would have taken.
const std::vector<std::string>& shellOpenRoutes();
// Every cursor made current, in order (SetCursor calls), by resource id or
// -1 arrow / -2 wait for the system cursors; 0 for null.
const std::vector<int>& cursorChanges();
int currentCursor();
int presentCount();
// Whether a paint message is waiting (the window was shown or invalidated and
// not yet validated by beginPaint).
bool paintPending();
// Resource cursors loaded and not yet destroyed.
int liveCursorCount();
// The size-limit record the window procedure filled last (at window creation,
// or when showing maximised).
const win::MinMaxInfo& lastMinMaxInfo();

} // namespace headless
