#include "platform/win32/bcrypt_functions.h"

#include "platform/win32/system_library.h"

namespace {

bool load(BcryptFunctions& f) {
    const HMODULE module = loadSystemLibrary(L"bcrypt.dll");
    return module != nullptr &&
           findExport(module, "BCryptOpenAlgorithmProvider", f.openAlgorithmProvider) &&
           findExport(module, "BCryptCloseAlgorithmProvider", f.closeAlgorithmProvider) &&
           findExport(module, "BCryptCreateHash", f.createHash) &&
           findExport(module, "BCryptDuplicateHash", f.duplicateHash) &&
           findExport(module, "BCryptHashData", f.hashData) &&
           findExport(module, "BCryptFinishHash", f.finishHash) &&
           findExport(module, "BCryptDestroyHash", f.destroyHash) &&
           findExport(module, "BCryptImportKeyPair", f.importKeyPair) &&
           findExport(module, "BCryptVerifySignature", f.verifySignature) &&
           findExport(module, "BCryptDestroyKey", f.destroyKey);
}

} // namespace

const BcryptFunctions* bcrypt() {
    static BcryptFunctions functions{};
    static const bool loaded = load(functions);
    return loaded ? &functions : nullptr;
}
