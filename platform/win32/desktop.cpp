#include "platform/win32/win32_platform.h"

// Need the types of <windows.h>, which the line above brings in.
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <string>

#include "platform/run_log.h"
#include "platform/viewer_route.h"
#include "platform/win32/system_library.h"

namespace win32 {

namespace {

// Releases a COM interface when it goes out of scope.
template <typename Interface> class Held {
  public:
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (pointer != nullptr) {
            pointer->Release();
        }
    }
    Interface* operator->() const { return pointer; }
    Interface** put() { return &pointer; }
    void** putVoid() { return reinterpret_cast<void**>(&pointer); }
    Interface* get() const { return pointer; }

  private:
    Interface* pointer = nullptr;
};

std::string failure(const char* step, HRESULT result) {
    char text[96];
    wsprintfA(text, "%s failed (0x%08lX)", step, static_cast<unsigned long>(result));
    return text;
}

// An elevated program's ShellExecute would start the viewer elevated. The
// desktop's own shell (Explorer, running as the user who is logged on) is asked
// instead, through its desktop window's folder view; the viewer is then its child.
// Empty on success, else what failed.
std::string openThroughDesktopShell(const char* path) {
    Held<IShellWindows> windows;
    HRESULT result = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                      IID_IShellWindows, windows.putVoid());
    if (FAILED(result)) {
        return failure("Finding the desktop's shell windows", result);
    }
    VARIANT location;
    VARIANT root;
    VariantInit(&location);
    VariantInit(&root);
    long window = 0;
    Held<IDispatch> desktop;
    result = windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                   desktop.put());
    if (result != S_OK || desktop.get() == nullptr) {
        return failure("Finding the desktop window", FAILED(result) ? result : E_FAIL);
    }
    Held<IServiceProvider> services;
    Held<IShellBrowser> browser;
    Held<IShellView> view;
    Held<IDispatch> background;
    Held<IShellFolderViewDual> folderView;
    Held<IDispatch> application;
    Held<IShellDispatch2> shell;
    if (FAILED(result = desktop->QueryInterface(IID_IServiceProvider, services.putVoid())) ||
        FAILED(result = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                               browser.putVoid())) ||
        FAILED(result = browser->QueryActiveShellView(view.put())) ||
        FAILED(result =
                   view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.putVoid())) ||
        FAILED(result =
                   background->QueryInterface(IID_IShellFolderViewDual, folderView.putVoid())) ||
        FAILED(result = folderView->get_Application(application.put())) ||
        FAILED(result = application->QueryInterface(IID_IShellDispatch2, shell.putVoid()))) {
        return failure("Reaching the desktop's shell", result);
    }
    BSTR file = SysAllocString(wideFromUtf8(path).c_str());
    BSTR verb = SysAllocString(L"open");
    VARIANT arguments;
    VARIANT folder;
    VARIANT operation;
    VARIANT show;
    VariantInit(&arguments);
    VariantInit(&folder);
    VariantInit(&operation);
    VariantInit(&show);
    operation.vt = VT_BSTR;
    operation.bstrVal = verb;
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    result = file == nullptr || verb == nullptr
                 ? E_OUTOFMEMORY
                 : shell->ShellExecute(file, arguments, folder, operation, show);
    SysFreeString(file);
    SysFreeString(verb);
    return FAILED(result) ? failure("The desktop's shell's ShellExecute", result) : "";
}

// shell32.dll is on the known-DLL list, but what it loads in turn (shcore.dll)
// is not: imported, it would be loaded before the program restricts the DLL
// search, from beside the program if a copy lay there.
using ShellExecuteFunction = decltype(&ShellExecuteW);
ShellExecuteFunction shellExecute() {
    static const ShellExecuteFunction function = [] {
        ShellExecuteFunction found = nullptr;
        const HMODULE module = loadSystemLibrary(L"shell32.dll");
        return module != nullptr && findFunction(module, "ShellExecuteW", found) ? found : nullptr;
    }();
    return function;
}

} // namespace

void messageBox(const char* title, const char* text) {
    MessageBoxW(nullptr, wideFromUtf8(text != nullptr ? text : "").c_str(),
                wideFromUtf8(title != nullptr ? title : "").c_str(), MB_OK);
}

void shellOpen(const char* path) {
    const ViewerRoute route = viewerRoute();
    if (!route.open) {
        runLog("Not opening %s: %s", path, route.description.c_str());
        return;
    }
    if (!route.throughDesktopShell) {
        const ShellExecuteFunction execute = shellExecute();
        if (execute == nullptr) {
            runLog("Cannot open %s: shell32.dll cannot be loaded from the system folder", path);
            return;
        }
        runLog("Opening %s %s", path, route.description.c_str());
        execute(nullptr, L"open", wideFromUtf8(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string problem = openThroughDesktopShell(path);
    if (SUCCEEDED(initialised)) {
        CoUninitialize();
    }
    if (problem.empty()) {
        runLog("Opening %s %s", path, route.description.c_str());
    } else {
        // Opening it elevated would hand the user an administrator's editor.
        runLog("Not opening %s: %s; it is not opened with this program's rights", path,
               problem.c_str());
    }
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
