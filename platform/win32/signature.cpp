#include "platform/signature.h"

#include <cstring>

#include "platform/sha256.h"
#include "platform/win32/bcrypt_functions.h"

bool verifyP256Signature(const EcPublicPoint& key, const void* data, std::size_t size,
                         const unsigned char* der, std::size_t derSize) {
    RawEcSignature raw{};
    Sha256Digest digest{};
    Sha256 hash;
    hash.add(data, size);
    const BcryptFunctions* f = bcrypt();
    if (f == nullptr || key[0] != 0x04 || !derToRawSignature(der, derSize, raw) ||
        !hash.finish(digest)) {
        return false;
    }
    // BCrypt's public-key blob: its header, then X and Y without the point's 0x04.
    unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob, &header, sizeof header);
    std::memcpy(blob + sizeof header, key.data() + 1, 64);

    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE publicKey = nullptr;
    bool verified = false;
    if (BCRYPT_SUCCESS(
            f->openAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
        if (BCRYPT_SUCCESS(f->importKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &publicKey,
                                            blob, sizeof blob, 0))) {
            verified = BCRYPT_SUCCESS(f->verifySignature(
                publicKey, nullptr, digest.data(), static_cast<ULONG>(digest.size()), raw.data(),
                static_cast<ULONG>(raw.size()), 0));
            f->destroyKey(publicKey);
        }
        f->closeAlgorithmProvider(algorithm, 0);
    }
    return verified;
}
