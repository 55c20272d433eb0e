#include "platform/win32/win32_platform.h"

namespace win32 {
namespace {

HINSTANCE instanceHandle = nullptr;

InstanceHandle instance() {
    return instanceHandle;
}

} // namespace

bool isKeyDown(std::uint32_t virtualKey) {
    return (GetKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
}

namespace {

const PlatformOps table = {
    .name = "win32",
    .instance = instance,
    .defaultInstallPath = "c:\\tactdemo",
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

HINSTANCE moduleInstance() {
    return instanceHandle;
}

void install(HINSTANCE instance) {
    instanceHandle = instance;
    selectPlatform(&table);
}

const PlatformOps& ops() {
    return table;
}

} // namespace win32
