#include "platform/signature.h"

namespace {

// One DER INTEGER at der[at], copied right-aligned into out (32 bytes).
bool readInteger(const unsigned char* der, std::size_t size, std::size_t& at, unsigned char* out) {
    if (at + 2 > size || der[at] != 0x02) {
        return false;
    }
    std::size_t length = der[at + 1];
    at += 2;
    if (length == 0 || length > 33 || at + length > size) {
        return false;
    }
    const unsigned char* value = der + at;
    at += length;
    if (value[0] & 0x80) {
        return false; // negative
    }
    if (length > 1 && value[0] == 0 && !(value[1] & 0x80)) {
        return false; // a leading zero DER forbids
    }
    if (value[0] == 0) {
        ++value;
        --length;
    }
    if (length > 32) {
        return false;
    }
    for (std::size_t i = 0; i < 32; ++i) {
        out[i] = i < 32 - length ? 0 : value[i - (32 - length)];
    }
    return true;
}

} // namespace

bool derToRawSignature(const unsigned char* der, std::size_t size, RawEcSignature& raw) {
    // Two integers of at most 33 bytes each keep the sequence under 128 bytes, so
    // its length is always the one-byte form.
    if (size < 2 || der[0] != 0x30 || der[1] != size - 2) {
        return false;
    }
    std::size_t at = 2;
    return readInteger(der, size, at, raw.data()) && readInteger(der, size, at, raw.data() + 32) &&
           at == size;
}
