#include "update/digest.h"

#include <cstdio>

#include "update/copy_bytes.h"
#include "update/package.h"

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string digestToHex(const Sha256Digest& digest) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char byte : digest) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::string digestFileText(const Sha256Digest& digest) {
    return digestToHex(digest) + "  " + PackageFileName + "\n";
}

std::optional<Sha256Digest> parseDigestFile(const std::string& text) {
    std::size_t at = 0;
    Sha256Digest digest{};
    for (unsigned char& byte : digest) {
        const int high = at + 1 < text.size() ? hexValue(text[at]) : -1;
        const int low = at + 1 < text.size() ? hexValue(text[at + 1]) : -1;
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        byte = static_cast<unsigned char>(high << 4 | low);
        at += 2;
    }
    // sha256sum separates with a blank and a mode mark: ' ' for text, '*' for binary.
    if (at + 2 > text.size() || text[at] != ' ' || (text[at + 1] != ' ' && text[at + 1] != '*')) {
        return std::nullopt;
    }
    at += 2;
    std::string name = text.substr(at, text.find_first_of("\r\n", at) - at);
    if (name != PackageFileName) {
        return std::nullopt;
    }
    return digest;
}

std::optional<Sha256Digest> digestOfFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return std::nullopt;
    }
    auto buffer = makeCopyBuffer();
    Sha256 hash;
    bool ok = buffer != nullptr;
    while (ok) {
        const std::size_t got = std::fread(buffer.get(), 1, CopyBufferBytes, file);
        hash.add(buffer.get(), got);
        if (got < CopyBufferBytes) {
            ok = std::ferror(file) == 0;
            break;
        }
    }
    std::fclose(file);
    Sha256Digest digest{};
    if (!hash.finish(digest) || !ok) {
        return std::nullopt;
    }
    return digest;
}
