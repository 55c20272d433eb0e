#include "platform/win32/bcrypt_functions.h"

#include "platform/win32/system_library.h"

namespace {

bool load(BcryptFunctions& f) {
    const HMODULE module = loadSystemLibrary(L"bcrypt.dll");
    return module != nullptr &&
           findFunction(module, "BCryptOpenAlgorithmProvider", f.openAlgorithmProvider) &&
           findFunction(module, "BCryptCloseAlgorithmProvider", f.closeAlgorithmProvider) &&
           findFunction(module, "BCryptCreateHash", f.createHash) &&
           findFunction(module, "BCryptDuplicateHash", f.duplicateHash) &&
           findFunction(module, "BCryptHashData", f.hashData) &&
           findFunction(module, "BCryptFinishHash", f.finishHash) &&
           findFunction(module, "BCryptDestroyHash", f.destroyHash) &&
           findFunction(module, "BCryptImportKeyPair", f.importKeyPair) &&
           findFunction(module, "BCryptVerifySignature", f.verifySignature) &&
           findFunction(module, "BCryptDestroyKey", f.destroyKey);
}

} // namespace

const BcryptFunctions* bcrypt() {
    static BcryptFunctions functions{};
    static const bool loaded = load(functions);
    return loaded ? &functions : nullptr;
}
