#include "update/digest.h"

#include <algorithm>

#include "platform/file_io.h"
#include "update/copy_bytes.h"

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
    for (const unsigned char value : digest) {
        hex += digits[value >> 4];
        hex += digits[value & 15];
    }
    return hex;
}

std::string digestLine(const std::string& name, const Sha256Digest& digest) {
    return digestToHex(digest) + "  " + name + "\n";
}

namespace {

constexpr std::string_view ReleasePrefix = "# Release: ";

} // namespace

std::string releaseLine(std::string_view release) {
    return std::string(ReleasePrefix) + std::string(release) + "\n";
}

std::string patchVersionsLine(const std::vector<std::vector<std::string>>& sets) {
    std::string line = "# update.patch fits:";
    for (std::size_t s = 0; s < sets.size(); ++s) {
        line += s == 0 ? "" : ";";
        for (const std::string& version : sets[s]) {
            line += " " + version;
        }
    }
    return line + "\n";
}

std::optional<std::string> releaseOf(const std::string& text) {
    std::optional<std::string> release;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.starts_with(ReleasePrefix)) {
            if (release) {
                return std::nullopt;
            }
            release = line.substr(ReleasePrefix.size());
        }
    }
    return release;
}

std::optional<DigestList> parseDigestFile(const std::string& text) {
    DigestList list;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.starts_with('#')) {
            continue;
        }
        Sha256Digest digest{};
        for (std::size_t i = 0; i < digest.size(); ++i) {
            const int high = 2 * i + 1 < line.size() ? hexValue(line[2 * i]) : -1;
            const int low = 2 * i + 1 < line.size() ? hexValue(line[2 * i + 1]) : -1;
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            digest[i] = static_cast<unsigned char>(high << 4 | low);
        }
        // sha256sum separates with a blank and a mode mark: ' ' for text, '*' for binary.
        // A name with a control character in it (a stray carriage return) is no
        // file's, and would not read back as itself.
        const std::string name = line.size() < 67 ? "" : line.substr(66);
        const bool controls = std::any_of(name.begin(), name.end(),
                                          [](unsigned char c) { return c < 0x20 || c == 0x7f; });
        if (name.empty() || controls || line[64] != ' ' || (line[65] != ' ' && line[65] != '*') ||
            !list.emplace(name, digest).second) {
            return std::nullopt;
        }
    }
    if (list.empty()) {
        return std::nullopt;
    }
    return list;
}

std::optional<Sha256Digest> digestOfBytes(File& file, std::uint64_t count) {
    auto buffer = makeCopyBuffer();
    if (!buffer) {
        return std::nullopt;
    }
    Sha256 hash;
    while (count > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, CopyBufferBytes));
        if (file.read(buffer.get(), want) != want) {
            return std::nullopt;
        }
        hash.add(buffer.get(), want);
        count -= want;
    }
    Sha256Digest digest{};
    if (!hash.finish(digest)) {
        return std::nullopt;
    }
    return digest;
}
