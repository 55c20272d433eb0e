#include "platform/sha256.h"

#include <openssl/evp.h>

struct Sha256::State {
    EVP_MD_CTX* context;
};

Sha256::Sha256() : state(new State{EVP_MD_CTX_new()}), failed(false) {
    failed =
        state->context == nullptr || EVP_DigestInit_ex(state->context, EVP_sha256(), nullptr) != 1;
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(state->context);
    delete state;
}

void Sha256::add(const void* data, std::size_t size) {
    if (!failed && size > 0) {
        failed = EVP_DigestUpdate(state->context, data, size) != 1;
    }
}

bool Sha256::finish(Sha256Digest& digest) {
    unsigned int length = 0;
    if (failed || EVP_DigestFinal_ex(state->context, digest.data(), &length) != 1 ||
        length != digest.size()) {
        failed = true;
        return false;
    }
    failed = true;
    return true;
}

void Sha256::copyFrom(const Sha256& other) {
    failed = other.failed || EVP_MD_CTX_copy_ex(state->context, other.state->context) != 1;
}
