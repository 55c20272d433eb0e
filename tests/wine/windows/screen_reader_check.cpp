// Reads the wizard's window as a screen reader would, through Active
// Accessibility from another process: the language screen's buttons, a press of
// "Install in English", then the version screen. Exit code 0 when everything
// was found; else what it read on standard error. Run under Wine by
// tests/wine/run.sh.
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Child {
    long role;
    std::string name; // UTF-8
};

std::string utf8(BSTR text) {
    if (text == nullptr) {
        return "";
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    SysFreeString(text);
    return out;
}

std::vector<Child> children(IAccessible* client) {
    std::vector<Child> out;
    long count = 0;
    client->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i) {
        VARIANT id;
        VariantInit(&id);
        id.vt = VT_I4;
        id.lVal = i;
        BSTR name = nullptr;
        VARIANT role;
        VariantInit(&role);
        client->get_accName(id, &name);
        client->get_accRole(id, &role);
        out.push_back({role.vt == VT_I4 ? role.lVal : 0, utf8(name)});
    }
    return out;
}

long find(const std::vector<Child>& list, long role, const std::string& name) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].role == role && list[i].name == name) {
            return static_cast<long>(i + 1);
        }
    }
    return 0;
}

// Waits until the client area has the button, and gives back what it read.
std::vector<Child> readUntil(IAccessible* client, const std::string& button) {
    std::vector<Child> list;
    for (int i = 0; i < 100 && find(list, ROLE_SYSTEM_PUSHBUTTON, button) == 0; ++i, Sleep(100)) {
        list = children(client);
    }
    return list;
}

int failed(const char* what, const std::vector<Child>& list) {
    std::fprintf(stderr, "%s; read:\n", what);
    for (const Child& c : list) {
        std::fprintf(stderr, "  role %ld: %s\n", c.role, c.name.c_str());
    }
    return 1;
}

} // namespace

int main() {
    HWND window = nullptr;
    for (int i = 0; i < 300 && window == nullptr; ++i, Sleep(100)) {
        window = FindWindowA("main", nullptr);
    }
    if (window == nullptr) {
        std::fprintf(stderr, "no wizard window\n");
        return 1;
    }
    CoInitialize(nullptr);
    IAccessible* client = nullptr;
    const HRESULT found =
        AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&client));
    if (FAILED(found) || client == nullptr) {
        std::fprintf(stderr, "no accessible object for the client area: 0x%08lx\n",
                     static_cast<unsigned long>(found));
        return 1;
    }
    std::vector<Child> list = readUntil(client, "Installer p\xC3\xA5 norsk");
    const long english = find(list, ROLE_SYSTEM_PUSHBUTTON, "Install in English");
    if (english == 0 || find(list, ROLE_SYSTEM_PUSHBUTTON, "Exit") == 0) {
        return failed("the language buttons are not all there", list);
    }
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = english;
    if (FAILED(client->accDoDefaultAction(id))) {
        std::fprintf(stderr, "pressing \"Install in English\" failed\n");
        return 1;
    }
    list = readUntil(client, "Next >");
    if (find(list, ROLE_SYSTEM_STATICTEXT, "Current installed version:") == 0) {
        return failed("the version screen was not read", list);
    }
    client->Release();
    CoUninitialize();
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}
