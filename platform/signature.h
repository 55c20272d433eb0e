// Publisher signatures: ECDSA on the P-256 curve over SHA-256, checked by the
// system's own cryptography (libcrypto, or BCrypt on Windows).
#pragma once

#include <array>
#include <cstddef>

// A public key as the uncompressed curve point: 0x04, then X and Y, 32 bytes each.
using EcPublicPoint = std::array<unsigned char, 65>;
// A signature as the two 32-byte numbers r and s, back to back.
using RawEcSignature = std::array<unsigned char, 64>;

// True only when der, an ECDSA signature in the DER form openssl writes, signs
// SHA-256 of data under key.
bool verifyP256Signature(const EcPublicPoint& key, const void* data, std::size_t size,
                         const unsigned char* der, std::size_t derSize);

// r and s out of the DER form (SEQUENCE of two INTEGERs). False for anything but
// a strict encoding of two positive numbers that fit 32 bytes.
bool derToRawSignature(const unsigned char* der, std::size_t size, RawEcSignature& raw);
