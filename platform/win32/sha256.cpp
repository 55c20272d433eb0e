#include "platform/sha256.h"

#include "platform/win32/bcrypt_functions.h"

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256::Sha256() : state(new State), failed(false) {
    const BcryptFunctions* f = bcrypt();
    failed =
        f == nullptr ||
        !BCRYPT_SUCCESS(
            f->openAlgorithmProvider(&state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
        !BCRYPT_SUCCESS(f->createHash(state->algorithm, &state->hash, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256() {
    if (state->hash != nullptr) {
        bcrypt()->destroyHash(state->hash);
    }
    if (state->algorithm != nullptr) {
        bcrypt()->closeAlgorithmProvider(state->algorithm, 0);
    }
    delete state;
}

void Sha256::add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (!failed && size > 0) {
        const ULONG chunk = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
        failed =
            !BCRYPT_SUCCESS(bcrypt()->hashData(state->hash, const_cast<PUCHAR>(bytes), chunk, 0));
        bytes += chunk;
        size -= chunk;
    }
}

bool Sha256::finish(Sha256Digest& digest) {
    const bool ok =
        !failed && BCRYPT_SUCCESS(bcrypt()->finishHash(state->hash, digest.data(),
                                                       static_cast<ULONG>(digest.size()), 0));
    failed = true;
    return ok;
}

void Sha256::copyFrom(const Sha256& other) {
    BCRYPT_HASH_HANDLE copy = nullptr;
    failed = other.failed || state->hash == nullptr ||
             !BCRYPT_SUCCESS(bcrypt()->duplicateHash(other.state->hash, &copy, nullptr, 0, 0));
    if (!failed) {
        bcrypt()->destroyHash(state->hash);
        state->hash = copy;
    }
}
