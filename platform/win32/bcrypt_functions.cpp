#include "platform/win32/bcrypt_functions.h"

namespace {

HMODULE loadFromSystemFolder() {
    HMODULE module = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {
        return module;
    }
    // Vista and 7 without the update that brought LOAD_LIBRARY_SEARCH_SYSTEM32: the
    // full path of the system folder's copy says the same.
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 12 >= MAX_PATH) {
        return nullptr;
    }
    lstrcatW(path, L"\\bcrypt.dll");
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <typename Function> bool find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

bool load(BcryptFunctions& f) {
    const HMODULE module = loadFromSystemFolder();
    return module != nullptr &&
           find(module, "BCryptOpenAlgorithmProvider", f.openAlgorithmProvider) &&
           find(module, "BCryptCloseAlgorithmProvider", f.closeAlgorithmProvider) &&
           find(module, "BCryptCreateHash", f.createHash) &&
           find(module, "BCryptDuplicateHash", f.duplicateHash) &&
           find(module, "BCryptHashData", f.hashData) &&
           find(module, "BCryptFinishHash", f.finishHash) &&
           find(module, "BCryptDestroyHash", f.destroyHash) &&
           find(module, "BCryptImportKeyPair", f.importKeyPair) &&
           find(module, "BCryptVerifySignature", f.verifySignature) &&
           find(module, "BCryptDestroyKey", f.destroyKey);
}

} // namespace

const BcryptFunctions* bcrypt() {
    static BcryptFunctions functions{};
    static const bool loaded = load(functions);
    return loaded ? &functions : nullptr;
}
