#include "platform/headless/headless.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/file_io.h"
#include "platform/headless/default_registry.h"
#include "platform/messages.h"
#include "platform/viewer_route.h"
#include "platform/windows1252.h"

struct OpaqueWindow {
    int unused;
};
struct OpaqueCursor {
    int id; // resource id, or -1 arrow / -2 wait for the system cursors
};

namespace headless {
namespace {

struct QueuedMessage {
    PlatformMessage message;
    std::uint8_t character; // what translation makes of a key-down; 0 for none
};

struct Desktop {
    DesktopConfig config;
    OpaqueWindow windowObject{};
    WindowRecord window;
    WindowProcedure procedure = nullptr;
    std::string registeredClass;
    int iconResource = 0;
    bool paintPending = false;
    std::deque<QueuedMessage> queue;
    std::deque<std::function<void()>> scheduled;
    std::function<void()> pumpHook;
    bool drainHookDone = false;
    std::uint8_t lastKeyCharacter = 0;
    std::vector<std::uint16_t> surface;
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<std::string> shellOpens;
    std::vector<std::string> shellOpenRoutes;
    std::vector<int> cursorChanges;
    OpaqueCursor* currentCursor = nullptr;
    int cursorShowCount = 0;
    int liveCursors = 0;
    int presents = 0;
    win::MinMaxInfo lastMinMax{};
    // Keys down as of the message taken last, by virtual-key code.
    bool keysDown[256] = {};
    ScreenDescription description;
};

Desktop& desktop() {
    static Desktop instance;
    return instance;
}

OpaqueCursor systemArrow{-1};
OpaqueCursor systemWait{-2};

WindowHandle handle() {
    return &desktop().windowObject;
}

int frameWidth() {
    const Desktop& d = desktop();
    return d.config.borderWidth(d.window.style);
}
int frameHeight() {
    const Desktop& d = desktop();
    return d.config.borderHeight(d.window.style);
}

// The surface keeps its pixels where old and new sizes overlap, as a real window
// keeps what it showed until it is painted again.
void setClientSize(int width, int height) {
    Desktop& d = desktop();
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<std::uint16_t> resized(static_cast<std::size_t>(width) * height, 0);
    for (int y = 0; y < std::min(height, d.window.clientHeight); ++y) {
        for (int x = 0; x < std::min(width, d.window.clientWidth); ++x)
            resized[static_cast<std::size_t>(y) * width + x] =
                d.surface[static_cast<std::size_t>(y) * d.window.clientWidth + x];
    }
    d.surface = std::move(resized);
    d.window.clientWidth = width;
    d.window.clientHeight = height;
    d.window.outerWidth = width + 2 * frameWidth();
    d.window.outerHeight = height + d.config.captionHeight + 2 * frameHeight();
}

LResult send(std::uint32_t message, WParam wParam, LParam lParam) {
    Desktop& d = desktop();
    if (!d.window.exists || d.procedure == nullptr)
        return 0;
    return d.procedure(handle(), message, wParam, lParam);
}

void enqueue(std::uint32_t message, WParam wParam, LParam lParam, std::uint8_t character = 0) {
    desktop().queue.push_back({{handle(), message, wParam, lParam}, character});
}

// --- PlatformOps entries -------------------------------------------------------

InstanceHandle instance() {
    return &desktop();
}

void registerWindowClass(const char* className, WindowProcedure procedure, int iconResource) {
    Desktop& d = desktop();
    d.registeredClass = className != nullptr ? className : "";
    d.procedure = procedure;
    d.iconResource = iconResource;
}

WindowHandle createWindow(const char* className, const char* title, std::uint32_t style, int x,
                          int y, int outerWidth, int outerHeight) {
    Desktop& d = desktop();
    if (d.config.failWindowCreation || d.window.exists)
        return nullptr;
    if (className == nullptr || d.registeredClass != className)
        return nullptr;
    d.window = WindowRecord{};
    d.window.exists = true;
    d.window.className = className;
    d.window.title = title != nullptr ? title : "";
    d.window.style = style;
    d.window.x = x;
    d.window.y = y;
    d.surface.clear();
    d.paintPending = false;

    // Windows asks the procedure for the size limits before the window exists on
    // screen and keeps the window inside the tracking sizes it answers.
    d.lastMinMax = win::MinMaxInfo{};
    d.lastMinMax.ptMaxTrackSize = {outerWidth, outerHeight};
    d.lastMinMax.ptMinTrackSize = {0, 0};
    send(win::kWmGetMinMaxInfo, 0, reinterpret_cast<LParam>(&d.lastMinMax));
    outerWidth =
        std::clamp(outerWidth, static_cast<int>(d.lastMinMax.ptMinTrackSize.x),
                   std::max<int>(d.lastMinMax.ptMinTrackSize.x, d.lastMinMax.ptMaxTrackSize.x));
    outerHeight =
        std::clamp(outerHeight, static_cast<int>(d.lastMinMax.ptMinTrackSize.y),
                   std::max<int>(d.lastMinMax.ptMinTrackSize.y, d.lastMinMax.ptMaxTrackSize.y));

    setClientSize(outerWidth - 2 * frameWidth(),
                  outerHeight - d.config.captionHeight - 2 * frameHeight());
    return handle();
}

void showWindow(WindowHandle window, bool maximised) {
    Desktop& d = desktop();
    if (window != handle() || !d.window.exists)
        return;
    d.window.visible = true;
    WParam sizeType = win::kSizeRestored;
    if (maximised) {
        win::MinMaxInfo limits{};
        limits.ptMaxSize = {d.window.outerWidth, d.window.outerHeight};
        limits.ptMaxPosition = {d.window.x, d.window.y};
        send(win::kWmGetMinMaxInfo, 0, reinterpret_cast<LParam>(&limits));
        d.lastMinMax = limits;
        d.window.x = limits.ptMaxPosition.x;
        d.window.y = limits.ptMaxPosition.y;
        setClientSize(limits.ptMaxSize.x - 2 * frameWidth(),
                      limits.ptMaxSize.y - d.config.captionHeight - 2 * frameHeight());
        sizeType = win::kSizeMaximized;
    }
    send(win::kWmSize, sizeType, win::makeLParam(d.window.clientWidth, d.window.clientHeight));
    d.paintPending = true;
}

void hideWindow(WindowHandle window) {
    if (window == handle())
        desktop().window.visible = false;
}

void destroyWindow(WindowHandle window) {
    Desktop& d = desktop();
    if (window != handle() || !d.window.exists)
        return;
    d.window.exists = false;
    d.window.visible = false;
    d.paintPending = false;
    d.queue.clear();
}

void setWindowText(WindowHandle window, const char* text) {
    if (window == handle() && desktop().window.exists)
        desktop().window.title = text != nullptr ? text : "";
}

PlatformRect getClientRect(WindowHandle window) {
    const Desktop& d = desktop();
    if (window != handle() || !d.window.exists)
        return {0, 0, 0, 0};
    return {0, 0, d.window.clientWidth, d.window.clientHeight};
}

void invalidateWindow(WindowHandle window) {
    if (window == handle() && desktop().window.exists)
        desktop().paintPending = true;
}

void beginPaint(WindowHandle window) {
    if (window == handle())
        desktop().paintPending = false;
}

void endPaint(WindowHandle) {}

LResult defaultWindowProcedure(WindowHandle, std::uint32_t, WParam, LParam) {
    return 0;
}

bool peekMessage() {
    Desktop& d = desktop();
    if (!d.queue.empty())
        return true;
    if (!d.drainHookDone) {
        d.drainHookDone = true;
        if (!d.scheduled.empty()) {
            auto action = std::move(d.scheduled.front());
            d.scheduled.pop_front();
            action();
        }
        if (d.pumpHook)
            d.pumpHook();
        if (!d.queue.empty())
            return true;
    }
    if (d.paintPending && d.window.exists)
        return true;
    d.drainHookDone = false;
    return false;
}

bool getMessage(PlatformMessage* message) {
    Desktop& d = desktop();
    if (!d.queue.empty()) {
        *message = d.queue.front().message;
        d.lastKeyCharacter = d.queue.front().character;
        d.queue.pop_front();
        if (message->message == win::kWmKeyDown || message->message == win::kWmKeyUp)
            d.keysDown[message->wParam & 0xFF] = message->message == win::kWmKeyDown;
        return true;
    }
    if (d.paintPending && d.window.exists) {
        // The paint stays pending until the procedure validates it with beginPaint.
        *message = {handle(), win::kWmPaint, 0, 0};
        d.lastKeyCharacter = 0;
        return true;
    }
    return false;
}

void translateMessage(const PlatformMessage* message) {
    if (message == nullptr || message->message != win::kWmKeyDown)
        return;
    std::uint8_t character = win::controlCharacterFor(static_cast<std::uint32_t>(message->wParam));
    if (character == 0)
        character = desktop().lastKeyCharacter;
    if (character != 0)
        desktop().queue.push_front({{message->window, win::kWmChar, character, 1}, 0});
}

LResult dispatchMessage(const PlatformMessage* message) {
    if (message == nullptr || message->window != handle())
        return 0;
    return send(message->message, message->wParam, message->lParam);
}

PlatformRect workArea() {
    return desktop().config.workArea;
}

int systemMetric(SystemMetric metric) {
    return desktop().config.metric(metric);
}

void presentRect(WindowHandle window, const void* pixels, std::int32_t pitch, std::int16_t width,
                 std::int16_t height, std::int16_t left, std::int16_t top, std::int16_t right,
                 std::int16_t bottom) {
    Desktop& d = desktop();
    if (window != handle() || !d.window.exists || pixels == nullptr)
        return;
    ++d.presents;
    const int lastColumn = std::min<int>({right, width - 1, d.window.clientWidth - 1});
    const int lastRow = std::min<int>({bottom, height - 1, d.window.clientHeight - 1});
    const auto* bytes = static_cast<const std::uint8_t*>(pixels);
    for (int y = std::max<int>(top, 0); y <= lastRow; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint16_t*>(bytes + static_cast<std::ptrdiff_t>(y) * pitch);
        for (int x = std::max<int>(left, 0); x <= lastColumn; ++x)
            d.surface[static_cast<std::size_t>(y) * d.window.clientWidth + x] = row[x] & 0x7FFF;
    }
}

void messageBox(const char* title, const char* text) {
    Desktop& d = desktop();
    d.messageBoxes.push_back(
        {title != nullptr ? title : "", text != nullptr ? text : "", d.window.exists});
    if (d.config.printMessageBoxes) {
        writeStandardText(stdout,
                          d.messageBoxes.back().title + ": " + d.messageBoxes.back().text + "\n");
    }
}

void shellOpen(const char* path) {
    // Nothing is started here, but the route a real desktop would take is kept.
    const ViewerRoute route = viewerRoute();
    desktop().shellOpens.emplace_back(path != nullptr ? path : "");
    desktop().shellOpenRoutes.push_back(route.description);
}

CursorHandle loadCursor(int resourceId) {
    const auto& missing = desktop().config.missingCursorResources;
    if (std::find(missing.begin(), missing.end(), resourceId) != missing.end())
        return nullptr;
    ++desktop().liveCursors;
    return new OpaqueCursor{resourceId};
}

CursorHandle loadSystemCursor(SystemCursor cursor) {
    return cursor == SystemCursor::Wait ? &systemWait : &systemArrow;
}

CursorHandle getCursor() {
    return desktop().currentCursor;
}

void setCursor(CursorHandle cursor) {
    Desktop& d = desktop();
    d.currentCursor = cursor;
    d.cursorChanges.push_back(cursor != nullptr ? cursor->id : 0);
}

void showCursor(bool show) {
    desktop().cursorShowCount += show ? 1 : -1;
}

void destroyCursor(CursorHandle cursor) {
    if (cursor == nullptr || cursor == &systemArrow || cursor == &systemWait)
        return;
    Desktop& d = desktop();
    if (d.currentCursor == cursor)
        d.currentCursor = nullptr;
    --d.liveCursors;
    delete cursor;
}

bool readRegistryString(const char* keyPath, const char* valueName, std::string& value) {
    const DesktopConfig& config = desktop().config;
    return config.readRegistryString != nullptr
               ? config.readRegistryString(keyPath, valueName, value)
               : defaultRegistryRead(keyPath, valueName, value);
}

bool writeRegistryString(const char* keyPath, const char* valueName, const char* text) {
    const DesktopConfig& config = desktop().config;
    return config.writeRegistryString != nullptr
               ? config.writeRegistryString(keyPath, valueName, text)
               : defaultRegistryWrite(keyPath, valueName, text);
}

bool flushRegistryKey(const char* keyPath) {
    const DesktopConfig& config = desktop().config;
    return config.flushRegistryKey != nullptr ? config.flushRegistryKey(keyPath)
                                              : defaultRegistryFlush(keyPath);
}

bool isKeyDown(std::uint32_t virtualKey) {
    return desktop().keysDown[virtualKey & 0xFF];
}

void screenDescribed(const ScreenDescription& description, ScreenEvent event) {
    Desktop& d = desktop();
    d.description = description;
    if (d.config.printScreens && event == ScreenEvent::NewScreen) {
        writeStandardText(stdout, utf8FromWindows1252(describeAsText(description)));
    }
}

// Not const: the default installation path is the desktop's configuration.
PlatformOps table = {
    .name = "headless",
    .instance = instance,
    .defaultInstallPath = "/opt/tactdemo",
    .registerWindowClass = registerWindowClass,
    .createWindow = createWindow,
    .showWindow = showWindow,
    .hideWindow = hideWindow,
    .destroyWindow = destroyWindow,
    .setWindowText = setWindowText,
    .getClientRect = getClientRect,
    .invalidateWindow = invalidateWindow,
    .beginPaint = beginPaint,
    .endPaint = endPaint,
    .defaultWindowProcedure = defaultWindowProcedure,
    .peekMessage = peekMessage,
    .getMessage = getMessage,
    .translateMessage = translateMessage,
    .dispatchMessage = dispatchMessage,
    .workArea = workArea,
    .systemMetric = systemMetric,
    .presentRect = presentRect,
    .messageBox = messageBox,
    .shellOpen = shellOpen,
    .loadCursor = loadCursor,
    .loadSystemCursor = loadSystemCursor,
    .getCursor = getCursor,
    .setCursor = setCursor,
    .showCursor = showCursor,
    .destroyCursor = destroyCursor,
    .readRegistryString = readRegistryString,
    .writeRegistryString = writeRegistryString,
    .flushRegistryKey = flushRegistryKey,
    .isKeyDown = isKeyDown,
    .screenDescribed = screenDescribed,
};

} // namespace

void install(const DesktopConfig& config) {
    Desktop& d = desktop();
    d.config = config;
    d.window = WindowRecord{};
    d.procedure = nullptr;
    d.registeredClass.clear();
    d.iconResource = 0;
    d.paintPending = false;
    d.queue.clear();
    d.scheduled.clear();
    d.pumpHook = nullptr;
    d.drainHookDone = false;
    d.lastKeyCharacter = 0;
    d.surface.clear();
    d.messageBoxes.clear();
    d.shellOpens.clear();
    d.shellOpenRoutes.clear();
    d.cursorChanges.clear();
    d.currentCursor = &systemArrow;
    d.cursorShowCount = 0;
    d.liveCursors = 0;
    d.presents = 0;
    d.lastMinMax = win::MinMaxInfo{};
    std::fill(std::begin(d.keysDown), std::end(d.keysDown), false);
    d.description = ScreenDescription{};
    table.defaultInstallPath = config.defaultInstallPath;
    selectPlatform(&table);
}

const PlatformOps& ops() {
    return table;
}

void post(std::uint32_t message, WParam wParam, LParam lParam) {
    enqueue(message, wParam, lParam);
}

void click(int x, int y) {
    // The release waits for the next frame: buttons poll once per frame, so a
    // press and release drained together would never be seen as a click.
    enqueue(win::kWmMouseMove, 0, win::makeLParam(x, y));
    enqueue(win::kWmLButtonDown, 1, win::makeLParam(x, y));
    schedule([x, y] { enqueue(win::kWmLButtonUp, 0, win::makeLParam(x, y)); });
}

void pressKey(std::uint32_t virtualKey, std::uint8_t character) {
    enqueue(win::kWmKeyDown, virtualKey, 1, character);
    enqueue(win::kWmKeyUp, virtualKey, static_cast<LParam>(0xC0000001u));
}

void typeText(const char* windows1252) {
    if (windows1252 == nullptr)
        return;
    for (const char* p = windows1252; *p != '\0'; ++p) {
        const auto character = static_cast<std::uint8_t>(*p);
        std::uint32_t key = 0;
        if (character >= 'a' && character <= 'z')
            key = character - 'a' + 'A';
        else if ((character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9') ||
                 character == ' ')
            key = character;
        schedule([key, character] {
            if (key != 0) {
                pressKey(key, character);
            } else {
                enqueue(win::kWmChar, character, 1);
            }
        });
    }
}

void resizeClient(int width, int height, WParam sizeType) {
    Desktop& d = desktop();
    if (!d.window.exists)
        return;
    if (sizeType == win::kSizeMinimized) {
        width = 0;
        height = 0;
    }
    setClientSize(width, height);
    enqueue(win::kWmSize, sizeType, win::makeLParam(width, height));
}

void schedule(std::function<void()> action) {
    desktop().scheduled.push_back(std::move(action));
}

void setPumpHook(std::function<void()> hook) {
    desktop().pumpHook = std::move(hook);
}

const WindowRecord& window() {
    return desktop().window;
}
const ScreenDescription& screenDescription() {
    return desktop().description;
}
const std::vector<std::uint16_t>& surface() {
    return desktop().surface;
}
const std::vector<MessageBoxRecord>& messageBoxes() {
    return desktop().messageBoxes;
}
const std::vector<std::string>& shellOpens() {
    return desktop().shellOpens;
}

const std::vector<std::string>& shellOpenRoutes() {
    return desktop().shellOpenRoutes;
}
const std::vector<int>& cursorChanges() {
    return desktop().cursorChanges;
}

int currentCursor() {
    const OpaqueCursor* cursor = desktop().currentCursor;
    return cursor != nullptr ? cursor->id : 0;
}

int presentCount() {
    return desktop().presents;
}
bool paintPending() {
    return desktop().paintPending && desktop().window.exists;
}
int liveCursorCount() {
    return desktop().liveCursors;
}
const win::MinMaxInfo& lastMinMaxInfo() {
    return desktop().lastMinMax;
}

} // namespace headless
