#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include <SDL.h>
#include <sys/wait.h>

#include "platform/display_scale.h"
#include "platform/frame_metrics.h"
#include "platform/messages.h"
#include "platform/posix/start_viewer.h"
#include "platform/regfile/regfile_store.h"
#include "platform/run_log.h"
#include "platform/sdl/key_translation.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/windows1252.h"
#include "resources/resource_images.h"

struct OpaqueWindow {
    SDL_Window* window;
};
struct OpaqueCursor {
    SDL_Cursor* cursor;
    bool shared; // a system cursor, owned by the backend
};

namespace sdl {
namespace {

struct Backend {
    bool videoReady = false;
    OpaqueWindow window{nullptr};
    WindowProcedure procedure = nullptr;
    int iconResource = 0;
    std::uint32_t style = 0;
    bool paintPending = false;
    std::deque<PlatformMessage> queue;
    FrameMetrics metrics;
    bool metricsProbed = false;
    // Whole-pixel scale of the picture: 0 until chosen. The core sees the desktop
    // divided by it (platform/display_scale.h).
    int scale = 0;
    // The client size limits the core gave, in its pixels; {0, 0} is none.
    SDL_Point minimumClient{0, 0};
    SDL_Point maximumClient{0, 0};
    OpaqueCursor* current = nullptr;
    OpaqueCursor defaultCursor{nullptr, true};
    OpaqueCursor arrow{nullptr, true};
    OpaqueCursor wait{nullptr, true};
    int cursorShowCount = 0;
    std::vector<pid_t> viewers;
    // Keys down as of the message taken last, by virtual-key code.
    bool keysDown[256] = {};
};

Backend& backend() {
    static Backend instance;
    return instance;
}

bool windowExists() {
    return backend().window.window != nullptr;
}
WindowHandle handle() {
    return &backend().window;
}

bool thickFrame() {
    return (backend().style & win::kWsThickFrame) != 0;
}
// The window manager's frame, in real pixels.
int frameWidth() {
    return backend().metrics.borderWidth(backend().style);
}
int frameHeight() {
    return backend().metrics.borderHeight(backend().style);
}

LResult send(std::uint32_t message, WParam wParam, LParam lParam) {
    if (!windowExists() || backend().procedure == nullptr)
        return 0;
    return backend().procedure(handle(), message, wParam, lParam);
}

void enqueue(std::uint32_t message, WParam wParam, LParam lParam) {
    backend().queue.push_back({handle(), message, wParam, lParam});
}

SDL_Surface* surfaceOf(const ResourceImage& image) {
    return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(image.argb), image.width,
                                              image.height, 32, image.width * 4,
                                              SDL_PIXELFORMAT_ARGB8888);
}

// Window managers report their decorations only for a mapped window, so a small
// probe window is shown once; without a window manager the defaults stand.
void probeFrameMetrics() {
    Backend& b = backend();
    if (b.metricsProbed || !b.videoReady)
        return;
    b.metricsProbed = true;
    SDL_Window* probe = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64,
                                         64, SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    if (probe == nullptr)
        return;
    SDL_SetWindowBordered(probe, SDL_TRUE);
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(probe, &top, &left, &bottom, &right) == 0 && top > 0) {
        b.metrics.fixedFrameWidth = b.metrics.sizingFrameWidth = left;
        b.metrics.fixedFrameHeight = b.metrics.sizingFrameHeight = bottom;
        b.metrics.captionHeight = std::max(0, top - bottom);
    }
    SDL_DestroyWindow(probe);
}

int displayOf() {
    return windowExists() ? std::max(0, SDL_GetWindowDisplayIndex(backend().window.window)) : 0;
}

SDL_Rect usableBounds(int display) {
    SDL_Rect bounds{0, 0, 1024, 768};
    if (!backend().videoReady || SDL_GetDisplayUsableBounds(display, &bounds) != 0)
        bounds = {0, 0, 1024, 768};
    return bounds;
}

int scaleForDisplay(int display) {
    if (const int forced = display_scale::scaleOverride(std::getenv("TACTICO_SCALE")); forced > 0)
        return forced;
    float dpi = 0;
    if (!backend().videoReady || SDL_GetDisplayDPI(display, nullptr, &dpi, nullptr) != 0 ||
        dpi <= 0)
        return 1;
    probeFrameMetrics();
    const FrameMetrics& m = backend().metrics;
    const SDL_Rect bounds = usableBounds(display);
    return display_scale::chooseScale(static_cast<int>(dpi + 0.5f), bounds.w, bounds.h,
                                      2 * m.sizingFrameWidth,
                                      m.captionHeight + 2 * m.sizingFrameHeight);
}

int scale() {
    Backend& b = backend();
    if (b.scale == 0)
        b.scale = scaleForDisplay(displayOf());
    return b.scale;
}

LParam logicalPoint(int x, int y) {
    return win::makeLParam(display_scale::toLogical(x, scale()),
                           display_scale::toLogical(y, scale()));
}

void applyLimits() {
    Backend& b = backend();
    if (!thickFrame() || b.minimumClient.x <= 0)
        return;
    SDL_SetWindowMinimumSize(b.window.window, b.minimumClient.x * scale(),
                             b.minimumClient.y * scale());
    SDL_SetWindowMaximumSize(b.window.window, b.maximumClient.x * scale(),
                             b.maximumClient.y * scale());
}

// Moved to another display: its DPI may call for another scale. The size change
// that follows reaches the core as an unchanged logical size and a repaint.
void rescaleForDisplay() {
    Backend& b = backend();
    const int chosen = scaleForDisplay(displayOf());
    if (chosen == scale())
        return;
    int width = 0, height = 0;
    SDL_GetWindowSize(b.window.window, &width, &height);
    width /= b.scale;
    height /= b.scale;
    b.scale = chosen;
    applyLimits();
    SDL_SetWindowSize(b.window.window, width * chosen, height * chosen);
    b.paintPending = true;
}

// --- events -------------------------------------------------------------------

void queueSize(WParam sizeType) {
    int width = 0, height = 0;
    if (sizeType != win::kSizeMinimized)
        SDL_GetWindowSize(backend().window.window, &width, &height);
    enqueue(win::kWmSize, sizeType, win::makeLParam(width / scale(), height / scale()));
}

void translateWindowEvent(const SDL_WindowEvent& event) {
    const bool maximised =
        (SDL_GetWindowFlags(backend().window.window) & SDL_WINDOW_MAXIMIZED) != 0;
    switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        backend().paintPending = true;
        break;
    case SDL_WINDOWEVENT_CLOSE:
        enqueue(win::kWmClose, 0, 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
        queueSize(maximised ? win::kSizeMaximized : win::kSizeRestored);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        queueSize(win::kSizeMaximized);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        queueSize(win::kSizeMinimized);
        break;
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
        rescaleForDisplay();
        break;
    default:
        break;
    }
}

WParam mouseKeys(std::uint32_t buttons) {
    WParam keys = 0;
    if ((buttons & SDL_BUTTON_LMASK) != 0)
        keys |= 0x0001;
    if ((buttons & SDL_BUTTON_RMASK) != 0)
        keys |= 0x0002;
    if ((buttons & SDL_BUTTON_MMASK) != 0)
        keys |= 0x0010;
    return keys;
}

void translateButton(const SDL_MouseButtonEvent& event, bool down) {
    std::uint32_t message = 0;
    switch (event.button) {
    case SDL_BUTTON_LEFT:
        message = down ? win::kWmLButtonDown : win::kWmLButtonUp;
        break;
    case SDL_BUTTON_RIGHT:
        message = down ? win::kWmRButtonDown : win::kWmRButtonUp;
        break;
    case SDL_BUTTON_MIDDLE:
        message = down ? win::kWmMButtonDown : win::kWmMButtonUp;
        break;
    default:
        return;
    }
    enqueue(message, mouseKeys(SDL_GetMouseState(nullptr, nullptr)),
            logicalPoint(event.x, event.y));
}

// The program never captures the mouse: like a Windows window it hears of the
// pointer only over its client area, while SDL goes on reporting a drag beyond it.
bool insideClient(int x, int y) {
    int width = 0, height = 0;
    SDL_GetWindowSize(backend().window.window, &width, &height);
    return x >= 0 && y >= 0 && x < width && y < height;
}

void translateEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        enqueue(win::kWmClose, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.windowID == SDL_GetWindowID(backend().window.window))
            translateWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        enqueue(event.type == SDL_KEYDOWN ? win::kWmKeyDown : win::kWmKeyUp,
                virtualKeyFor(event.key.keysym.sym),
                event.type == SDL_KEYDOWN ? 1 : static_cast<LParam>(0xC0000001u));
        break;
    case SDL_TEXTINPUT:
        for (char c : windows1252FromUtf8(event.text.text))
            enqueue(win::kWmChar, static_cast<std::uint8_t>(c), 1);
        break;
    case SDL_MOUSEMOTION:
        if (insideClient(event.motion.x, event.motion.y))
            enqueue(win::kWmMouseMove, mouseKeys(event.motion.state),
                    logicalPoint(event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
        translateButton(event.button, true);
        break;
    case SDL_MOUSEBUTTONUP:
        if (insideClient(event.button.x, event.button.y))
            translateButton(event.button, false);
        break;
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        const int delta =
            (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y) *
            120;
        enqueue(win::kWmMouseWheel, win::makeWParam(0, delta), logicalPoint(x, y));
        break;
    }
    default:
        break;
    }
}

void reapViewers() {
    auto& viewers = backend().viewers;
    viewers.erase(std::remove_if(viewers.begin(), viewers.end(),
                                 [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; }),
                  viewers.end());
}

// --- PlatformOps entries -------------------------------------------------------

InstanceHandle instance() {
    return &backend();
}

void registerWindowClass(const char*, WindowProcedure procedure, int iconResource) {
    backend().procedure = procedure;
    backend().iconResource = iconResource;
}

WindowHandle createWindow(const char*, const char* title, std::uint32_t style, int x, int y,
                          int outerWidth, int outerHeight) {
    Backend& b = backend();
    if (!b.videoReady || windowExists())
        return nullptr;
    b.style = style;
    // The core added the frame it was told of, in its own pixels.
    const int n = scale();
    const int logicalFrameX = 2 * (frameWidth() / n);
    const int logicalFrameY = b.metrics.captionHeight / n + 2 * (frameHeight() / n);
    const int clientWidth = std::max(1, outerWidth - logicalFrameX) * n;
    const int clientHeight = std::max(1, outerHeight - logicalFrameY) * n;
    const int left =
        display_scale::toPhysicalPosition(x, outerWidth, clientWidth + 2 * frameWidth(), n);
    const int top = display_scale::toPhysicalPosition(
        y, outerHeight, clientHeight + b.metrics.captionHeight + 2 * frameHeight(), n);
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (thickFrame())
        flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* window = SDL_CreateWindow(title != nullptr ? title : "", left + frameWidth(),
                                          top + b.metrics.captionHeight + frameHeight(),
                                          clientWidth, clientHeight, flags);
    if (window == nullptr)
        return nullptr;
    b.window.window = window;
    b.paintPending = false;
    b.queue.clear();

    win::MinMaxInfo limits{};
    limits.ptMinTrackSize = {outerWidth, outerHeight};
    limits.ptMaxTrackSize = {outerWidth, outerHeight};
    send(win::kWmGetMinMaxInfo, 0, reinterpret_cast<LParam>(&limits));
    b.minimumClient = {std::max(1, limits.ptMinTrackSize.x - logicalFrameX),
                       std::max(1, limits.ptMinTrackSize.y - logicalFrameY)};
    b.maximumClient = {std::max(1, limits.ptMaxTrackSize.x - logicalFrameX),
                       std::max(1, limits.ptMaxTrackSize.y - logicalFrameY)};
    applyLimits();

    if (const ResourceImage* icon = findResourceImage(ResourceKind::Icon, b.iconResource);
        icon != nullptr) {
        if (SDL_Surface* surface = surfaceOf(*icon); surface != nullptr) {
            SDL_SetWindowIcon(window, surface);
            SDL_FreeSurface(surface);
        }
    }
    return handle();
}

void showWindow(WindowHandle window, bool maximised) {
    if (window != handle() || !windowExists())
        return;
    SDL_ShowWindow(backend().window.window);
    if (maximised)
        SDL_MaximizeWindow(backend().window.window);
    SDL_RaiseWindow(backend().window.window);
    int width = 0, height = 0;
    SDL_GetWindowSize(backend().window.window, &width, &height);
    send(win::kWmSize, maximised ? win::kSizeMaximized : win::kSizeRestored,
         win::makeLParam(width / scale(), height / scale()));
    backend().paintPending = true;
}

void hideWindow(WindowHandle window) {
    if (window == handle() && windowExists())
        SDL_HideWindow(backend().window.window);
}

void destroyWindow(WindowHandle window) {
    if (window != handle() || !windowExists())
        return;
    SDL_DestroyWindow(backend().window.window);
    backend().window.window = nullptr;
    backend().paintPending = false;
    backend().queue.clear();
}

void setWindowText(WindowHandle window, const char* text) {
    if (window == handle() && windowExists())
        SDL_SetWindowTitle(backend().window.window, text != nullptr ? text : "");
}

PlatformRect getClientRect(WindowHandle window) {
    if (window != handle() || !windowExists())
        return {0, 0, 0, 0};
    int width = 0, height = 0;
    SDL_GetWindowSize(backend().window.window, &width, &height);
    return {0, 0, width / scale(), height / scale()};
}

void invalidateWindow(WindowHandle window) {
    if (window == handle() && windowExists())
        backend().paintPending = true;
}

void beginPaint(WindowHandle window) {
    if (window == handle())
        backend().paintPending = false;
}

void endPaint(WindowHandle) {}

LResult defaultWindowProcedure(WindowHandle, std::uint32_t, WParam, LParam) {
    return 0;
}

bool peekMessage() {
    Backend& b = backend();
    if (!b.queue.empty())
        return true;
    if (b.videoReady) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            if (windowExists())
                translateEvent(event);
        }
    }
    reapViewers();
    return !b.queue.empty() || (b.paintPending && windowExists());
}

bool getMessage(PlatformMessage* message) {
    Backend& b = backend();
    if (!b.queue.empty()) {
        *message = b.queue.front();
        b.queue.pop_front();
        if (message->message == win::kWmKeyDown || message->message == win::kWmKeyUp)
            b.keysDown[message->wParam & 0xFF] = message->message == win::kWmKeyDown;
        return true;
    }
    if (b.paintPending && windowExists()) {
        *message = {handle(), win::kWmPaint, 0, 0};
        return true;
    }
    return false;
}

void translateMessage(const PlatformMessage* message) {
    if (message == nullptr || message->message != win::kWmKeyDown)
        return;
    if (const std::uint8_t character =
            controlCharacterFor(static_cast<std::uint32_t>(message->wParam));
        character != 0)
        backend().queue.push_front({message->window, win::kWmChar, character, 1});
}

LResult dispatchMessage(const PlatformMessage* message) {
    if (message == nullptr || message->window != handle())
        return 0;
    return send(message->message, message->wParam, message->lParam);
}

PlatformRect workArea() {
    const SDL_Rect bounds = usableBounds(displayOf());
    const int n = scale();
    return {bounds.x / n, bounds.y / n, (bounds.x + bounds.w) / n, (bounds.y + bounds.h) / n};
}

int systemMetric(SystemMetric metric) {
    probeFrameMetrics();
    return backend().metrics.metric(metric) / scale();
}

// Converts the rectangle into the surface's format once, then repeats every
// converted pixel as an n by n block.
void blitScaled(const std::uint8_t* source, std::int32_t pitch, int x0, int y0, int width,
                int height, SDL_Surface* surface, int n) {
    const int bytes = surface->format->BytesPerPixel;
    std::vector<std::uint8_t> converted(static_cast<std::size_t>(width) * height * bytes);
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB555, source, pitch, surface->format->format,
                      converted.data(), width * bytes);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = converted.data() + static_cast<std::size_t>(y) * width * bytes;
        auto* row = static_cast<std::uint8_t*>(surface->pixels) +
                    static_cast<std::ptrdiff_t>((y0 + y) * n) * surface->pitch +
                    static_cast<std::ptrdiff_t>(x0) * n * bytes;
        for (int x = 0; x < width; ++x)
            for (int i = 0; i < n; ++i)
                std::memcpy(row + (x * n + i) * bytes, from + x * bytes, bytes);
        for (int i = 1; i < n; ++i)
            std::memcpy(row + static_cast<std::ptrdiff_t>(i) * surface->pitch, row,
                        static_cast<std::size_t>(width) * n * bytes);
    }
}

void presentRect(WindowHandle window, const void* pixels, std::int32_t pitch, std::int16_t width,
                 std::int16_t height, std::int16_t left, std::int16_t top, std::int16_t right,
                 std::int16_t bottom) {
    if (window != handle() || !windowExists() || pixels == nullptr)
        return;
    SDL_Surface* surface = SDL_GetWindowSurface(backend().window.window);
    if (surface == nullptr)
        return;
    const int n = scale();
    const int x0 = std::max<int>(left, 0), y0 = std::max<int>(top, 0);
    const int x1 = std::min<int>({right, width - 1, surface->w / n - 1});
    const int y1 = std::min<int>({bottom, height - 1, surface->h / n - 1});
    if (x1 < x0 || y1 < y0)
        return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    const auto* source =
        static_cast<const std::uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(y0) * pitch + x0 * 2;
    if (n == 1) {
        auto* target = static_cast<std::uint8_t*>(surface->pixels) +
                       static_cast<std::ptrdiff_t>(y0) * surface->pitch +
                       x0 * surface->format->BytesPerPixel;
        // SDL's RGB555 is the frame buffer's layout with the top bit ignored.
        SDL_ConvertPixels(x1 - x0 + 1, y1 - y0 + 1, SDL_PIXELFORMAT_RGB555, source, pitch,
                          surface->format->format, target, surface->pitch);
    } else {
        blitScaled(source, pitch, x0, y0, x1 - x0 + 1, y1 - y0 + 1, surface, n);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    const SDL_Rect rect{x0 * n, y0 * n, (x1 - x0 + 1) * n, (y1 - y0 + 1) * n};
    SDL_UpdateWindowSurfaceRects(backend().window.window, &rect, 1);
}

void messageBox(const char* title, const char* text) {
    title = title != nullptr ? title : "";
    text = text != nullptr ? text : "";
    if (SDL_ShowSimpleMessageBox(0, title, text, nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", title, text);
}

void shellOpen(const char* path) {
    if (path == nullptr)
        return;
    const ViewerRoute route = viewerRoute();
    if (!route.open) {
        runLog("Not opening %s: %s", path, route.description.c_str());
        return;
    }
    const pid_t pid = startViewer("xdg-open", path, route);
    if (pid < 0) {
        runLog("Cannot open %s %s", path, route.description.c_str());
        return;
    }
    runLog("Opening %s %s", path, route.description.c_str());
    backend().viewers.push_back(pid);
}

CursorHandle loadCursor(int resourceId) {
    if (!backend().videoReady)
        return nullptr;
    const ResourceImage* image = findResourceImage(ResourceKind::Cursor, resourceId);
    if (image == nullptr)
        return nullptr;
    SDL_Surface* surface = surfaceOf(*image);
    if (surface == nullptr)
        return nullptr;
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, image->hotX, image->hotY);
    SDL_FreeSurface(surface);
    if (cursor == nullptr)
        return nullptr;
    return new OpaqueCursor{cursor, false};
}

CursorHandle loadSystemCursor(SystemCursor which) {
    Backend& b = backend();
    OpaqueCursor& slot = which == SystemCursor::Wait ? b.wait : b.arrow;
    if (slot.cursor == nullptr && b.videoReady)
        slot.cursor = SDL_CreateSystemCursor(which == SystemCursor::Wait ? SDL_SYSTEM_CURSOR_WAIT
                                                                         : SDL_SYSTEM_CURSOR_ARROW);
    return &slot;
}

CursorHandle getCursor() {
    return backend().current;
}

void setCursor(CursorHandle cursor) {
    backend().current = cursor;
    if (cursor != nullptr && cursor->cursor != nullptr)
        SDL_SetCursor(cursor->cursor);
}

void showCursor(bool show) {
    int& count = backend().cursorShowCount;
    count += show ? 1 : -1;
    if (backend().videoReady)
        SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

void destroyCursor(CursorHandle cursor) {
    if (cursor == nullptr || cursor->shared)
        return;
    if (backend().current == cursor)
        backend().current = nullptr;
    SDL_FreeCursor(cursor->cursor);
    delete cursor;
}

bool isKeyDown(std::uint32_t virtualKey) {
    return backend().keysDown[virtualKey & 0xFF];
}

const PlatformOps table = {
    .name = "sdl",
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
    .readRegistryString = regFileRead,
    .writeRegistryString = regFileWrite,
    .flushRegistryKey = regFileFlush,
    .isKeyDown = isKeyDown,
    .screenDescribed = nullptr,
};

} // namespace

void install() {
    Backend& b = backend();
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    b.videoReady = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (b.videoReady) {
        b.defaultCursor.cursor = SDL_GetCursor();
        b.current = &b.defaultCursor;
    }
    selectPlatform(&table);
}

void shutdown() {
    Backend& b = backend();
    if (b.window.window != nullptr)
        destroyWindow(handle());
    for (OpaqueCursor* shared : {&b.arrow, &b.wait}) {
        if (shared->cursor != nullptr)
            SDL_FreeCursor(shared->cursor);
        shared->cursor = nullptr;
    }
    reapViewers();
    if (b.videoReady)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    b.videoReady = false;
    SDL_Quit();
}

const PlatformOps& ops() {
    return table;
}

} // namespace sdl
