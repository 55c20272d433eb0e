// BCrypt reached at run time from the system folder rather than through the
// import table, so a bcrypt.dll planted beside the program is never the one used.
#pragma once

#include <windows.h>

#include <bcrypt.h>

struct BcryptFunctions {
    decltype(&BCryptOpenAlgorithmProvider) openAlgorithmProvider;
    decltype(&BCryptCloseAlgorithmProvider) closeAlgorithmProvider;
    decltype(&BCryptCreateHash) createHash;
    decltype(&BCryptDuplicateHash) duplicateHash;
    decltype(&BCryptHashData) hashData;
    decltype(&BCryptFinishHash) finishHash;
    decltype(&BCryptDestroyHash) destroyHash;
    decltype(&BCryptImportKeyPair) importKeyPair;
    decltype(&BCryptVerifySignature) verifySignature;
    decltype(&BCryptDestroyKey) destroyKey;
};

// Null when bcrypt.dll cannot be loaded from the system folder or lacks a function.
const BcryptFunctions* bcrypt();
