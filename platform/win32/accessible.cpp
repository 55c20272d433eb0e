// The window's client area as Microsoft Active Accessibility sees it: one
// IAccessible whose simple children are the elements of the screen the core
// described last. UI Automation clients reach it through their built-in bridge.
#include <oleacc.h>

#include <string>

#include "platform/messages.h"
#include "platform/screen_description.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_platform.h"
#include "platform/windows1252.h"

namespace win32 {
namespace {

// The interface's identity comes from the header: the import library's
// IID_IAccessible would name the address of an import thunk, not the GUID.
const IID& AccessibleId = __uuidof(IAccessible);

// oleacc.dll is no known DLL, so it comes from the system folder at run time.
struct OleaccFunctions {
    decltype(&AccessibleObjectFromWindow) objectFromWindow;
    decltype(&LresultFromObject) resultFromObject;
};

const OleaccFunctions* oleacc() {
    static OleaccFunctions functions{};
    static const bool loaded = [] {
        const HMODULE module = loadSystemLibrary(L"oleacc.dll");
        return module != nullptr &&
               findFunction(module, "AccessibleObjectFromWindow", functions.objectFromWindow) &&
               findFunction(module, "LresultFromObject", functions.resultFromObject);
    }();
    return loaded ? &functions : nullptr;
}

ScreenDescription shown;
HWND describedWindow = nullptr;

// The texts are the screen's own Windows-1252 bytes, whatever the system's code page.
BSTR toBstr(const std::string& text) {
    const std::u16string wide = utf16FromWindows1252(text);
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                             static_cast<UINT>(wide.size()));
}

long roleOf(ElementRole role) {
    switch (role) {
    case ElementRole::PushButton:
        return ROLE_SYSTEM_PUSHBUTTON;
    case ElementRole::ProgressBar:
        return ROLE_SYSTEM_PROGRESSBAR;
    case ElementRole::EditableText:
        return ROLE_SYSTEM_TEXT;
    default:
        return ROLE_SYSTEM_STATICTEXT;
    }
}

// Child ids count the elements from 1; 0 is the client itself.
const ScreenElement* element(const VARIANT& child) {
    if (child.vt != VT_I4 || child.lVal < 1 ||
        child.lVal > static_cast<long>(shown.elements.size())) {
        return nullptr;
    }
    return &shown.elements[static_cast<std::size_t>(child.lVal - 1)];
}
bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}
long focusedChild() {
    for (std::size_t i = 0; i < shown.elements.size(); ++i) {
        if (shown.elements[i].focused) {
            return static_cast<long>(i + 1);
        }
    }
    return 0;
}

class ClientAccessible final : public IAccessible {
  public:
    explicit ClientAccessible(HWND window) : window_(window) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, AccessibleId)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: clients use the vtable.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count != nullptr) {
            *count = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        *parent = nullptr;
        if (oleacc() == nullptr) {
            return E_FAIL;
        }
        return oleacc()->objectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        *count = static_cast<long>(shown.elements.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        *child = nullptr;
        return S_FALSE; // every child is a simple element
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        *name = nullptr;
        if (isSelf(child)) {
            *name = toBstr(shown.title);
        } else if (const ScreenElement* e = element(child)) {
            if (e->name.empty()) {
                return S_FALSE;
            }
            *name = toBstr(e->name);
        } else {
            return E_INVALIDARG;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        *value = nullptr;
        const ScreenElement* e = element(child);
        if (e == nullptr) {
            return isSelf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
        }
        if (e->role == ElementRole::ProgressBar) {
            *value = toBstr(std::to_string(e->value).append("%"));
        } else if (e->role == ElementRole::EditableText) {
            *value = toBstr(e->name);
        } else {
            return DISP_E_MEMBERNOTFOUND;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
        *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        VariantInit(role);
        role->vt = VT_I4;
        if (isSelf(child)) {
            role->lVal = ROLE_SYSTEM_CLIENT;
        } else if (const ScreenElement* e = element(child)) {
            role->lVal = roleOf(e->role);
        } else {
            role->vt = VT_EMPTY;
            return E_INVALIDARG;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        VariantInit(state);
        state->vt = VT_I4;
        const bool active = GetFocus() == window_;
        if (isSelf(child)) {
            state->lVal = STATE_SYSTEM_FOCUSABLE | (active ? STATE_SYSTEM_FOCUSED : 0);
            return S_OK;
        }
        const ScreenElement* e = element(child);
        if (e == nullptr) {
            state->vt = VT_EMPTY;
            return E_INVALIDARG;
        }
        long flags = e->role == ElementRole::StaticText || e->role == ElementRole::ProgressBar
                         ? STATE_SYSTEM_READONLY
                         : 0;
        if (e->unavailable) {
            flags |= STATE_SYSTEM_UNAVAILABLE;
        }
        if (e->focusable) {
            flags |= STATE_SYSTEM_FOCUSABLE;
        }
        if (e->focused && active) {
            flags |= STATE_SYSTEM_FOCUSED;
        }
        state->lVal = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
        *shortcut = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        VariantInit(focus);
        if (GetFocus() != window_) {
            return S_FALSE;
        }
        focus->vt = VT_I4;
        focus->lVal = focusedChild();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        VariantInit(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        *action = nullptr;
        const ScreenElement* e = element(child);
        if (e == nullptr || e->role != ElementRole::PushButton || e->unavailable) {
            return isSelf(child) || e != nullptr ? S_FALSE : E_INVALIDARG;
        }
        *action = SysAllocString(L"Press");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        PlatformRect r{};
        if (isSelf(child)) {
            RECT client{};
            GetClientRect(window_, &client);
            r = {0, 0, client.right / currentScale(), client.bottom / currentScale()};
        } else if (const ScreenElement* e = element(child)) {
            r = e->rect;
        } else {
            return E_INVALIDARG;
        }
        const int n = currentScale();
        POINT origin{r.left * n, r.top * n};
        ClientToScreen(window_, &origin);
        *left = origin.x;
        *top = origin.y;
        *width = (r.right - r.left) * n;
        *height = (r.bottom - r.top) * n;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        VariantInit(end);
        const long count = static_cast<long>(shown.elements.size());
        long from = start.vt == VT_I4 ? start.lVal : -1;
        long to = 0;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
            to = from == CHILDID_SELF ? 1 : 0;
            break;
        case NAVDIR_LASTCHILD:
            to = from == CHILDID_SELF ? count : 0;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN:
        case NAVDIR_RIGHT:
            to = from >= 1 ? from + 1 : 0;
            break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP:
        case NAVDIR_LEFT:
            to = from >= 1 ? from - 1 : 0;
            break;
        default:
            return E_INVALIDARG;
        }
        if (to < 1 || to > count) {
            return S_FALSE;
        }
        end->vt = VT_I4;
        end->lVal = to;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        VariantInit(hit);
        POINT p{x, y};
        ScreenToClient(window_, &p);
        RECT client{};
        GetClientRect(window_, &client);
        if (!PtInRect(&client, p)) {
            return S_FALSE;
        }
        const int n = currentScale();
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        // The last match is the element drawn over the others.
        for (std::size_t i = 0; i < shown.elements.size(); ++i) {
            const PlatformRect& r = shown.elements[i].rect;
            if (p.x >= r.left * n && p.x < r.right * n && p.y >= r.top * n && p.y < r.bottom * n) {
                hit->lVal = static_cast<long>(i + 1);
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const ScreenElement* e = element(child);
        if (e == nullptr) {
            return isSelf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
        }
        if (e->role != ElementRole::PushButton || e->unavailable || e->slot < 0) {
            return DISP_E_MEMBERNOTFOUND;
        }
        // The press reaches the wizard as input does, between two frames.
        PostMessageA(window_, win::kWmPressSlot, static_cast<WPARAM>(e->slot), 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    HWND window_;
    LONG refs_ = 1;
};

ClientAccessible* client = nullptr;

} // namespace

LRESULT answerGetObject(HWND window, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) {
        return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
    }
    if (oleacc() == nullptr) {
        return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
    }
    if (client == nullptr) {
        // The object is handed to other processes through COM.
        static const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        (void)comReady;
        client = new ClientAccessible(window);
    }
    return oleacc()->resultFromObject(AccessibleId, wParam, client);
}

void forgetAccessible() {
    if (client != nullptr) {
        // Clients may still hold it; it only stops speaking for the window.
        client->Release();
        client = nullptr;
    }
    shown = ScreenDescription{};
    describedWindow = nullptr;
}

void screenDescribed(const ScreenDescription& description, ScreenEvent event) {
    const ScreenDescription before = std::move(shown);
    shown = description;
    HWND window = describedWindow;
    if (window == nullptr) {
        return;
    }
    const long focus = focusedChild();
    switch (event) {
    case ScreenEvent::NewScreen:
        NotifyWinEvent(EVENT_OBJECT_REORDER, window, OBJID_CLIENT, CHILDID_SELF);
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
        if (focus != 0) {
            NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, focus);
        }
        break;
    case ScreenEvent::FocusMoved:
        if (focus != 0) {
            NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, focus);
        }
        break;
    case ScreenEvent::ValueChanged:
        // A repaint describes the same screen again: only real changes are told.
        for (std::size_t i = 0; i < shown.elements.size(); ++i) {
            const ScreenElement& e = shown.elements[i];
            if (i >= before.elements.size() || e.value != before.elements[i].value ||
                e.name != before.elements[i].name) {
                NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT,
                               static_cast<LONG>(i + 1));
            }
        }
        break;
    }
}

void describeWindow(HWND window) {
    describedWindow = window;
}

} // namespace win32
