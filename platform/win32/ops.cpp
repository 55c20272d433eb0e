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
    "win32",
    instance,
    "c:\\tactdemo",
    registerWindowClass,
    createWindow,
    showWindow,
    hideWindow,
    destroyWindow,
    setWindowText,
    getClientRect,
    invalidateWindow,
    beginPaint,
    endPaint,
    defaultWindowProcedure,
    peekMessage,
    getMessage,
    translateMessage,
    dispatchMessage,
    workArea,
    systemMetric,
    presentRect,
    messageBox,
    shellOpen,
    loadCursor,
    loadSystemCursor,
    getCursor,
    setCursor,
    showCursor,
    destroyCursor,
    readRegistryString,
    writeRegistryString,
    isKeyDown,
    screenDescribed,
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
