#include "platform/signature.h"

#include <algorithm>
#include <iterator>
#include <openssl/evp.h>
#include <openssl/x509.h>

namespace {

// The DER SubjectPublicKeyInfo of a P-256 key is this fixed header and the point.
constexpr unsigned char P256KeyInfoHeader[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                                               0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                               0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00};

} // namespace

bool verifyP256Signature(const EcPublicPoint& key, const void* data, std::size_t size,
                         const unsigned char* der, std::size_t derSize) {
    unsigned char info[sizeof P256KeyInfoHeader + sizeof(EcPublicPoint)];
    std::copy(std::begin(P256KeyInfoHeader), std::end(P256KeyInfoHeader), info);
    std::copy(key.begin(), key.end(), info + sizeof P256KeyInfoHeader);
    const unsigned char* reading = info;
    EVP_PKEY* publicKey = d2i_PUBKEY(nullptr, &reading, sizeof info);
    if (publicKey == nullptr) {
        return false;
    }
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool verified =
        context != nullptr &&
        EVP_DigestVerifyInit(context, nullptr, EVP_sha256(), nullptr, publicKey) == 1 &&
        EVP_DigestVerify(context, der, derSize, static_cast<const unsigned char*>(data), size) == 1;
    EVP_MD_CTX_free(context);
    EVP_PKEY_free(publicKey);
    return verified;
}
