#include "platform/sha256.h"

#include <windows.h>

#include <bcrypt.h>

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256::Sha256() : state(new State), failed(false) {
    failed = !BCRYPT_SUCCESS(
                 BCryptOpenAlgorithmProvider(&state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
             !BCRYPT_SUCCESS(BCryptCreateHash(state->algorithm, &state->hash, nullptr, 0, nullptr,
                                              0, 0));
}

Sha256::~Sha256() {
    if (state->hash != nullptr) {
        BCryptDestroyHash(state->hash);
    }
    if (state->algorithm != nullptr) {
        BCryptCloseAlgorithmProvider(state->algorithm, 0);
    }
    delete state;
}

void Sha256::add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (!failed && size > 0) {
        const ULONG chunk = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
        failed = !BCRYPT_SUCCESS(BCryptHashData(state->hash, const_cast<PUCHAR>(bytes), chunk, 0));
        bytes += chunk;
        size -= chunk;
    }
}

bool Sha256::finish(Sha256Digest& digest) {
    const bool ok =
        !failed && BCRYPT_SUCCESS(BCryptFinishHash(state->hash, digest.data(),
                                                   static_cast<ULONG>(digest.size()), 0));
    failed = true;
    return ok;
}
