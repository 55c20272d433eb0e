#include "platform/windows1252.h"

#include <cstdint>

namespace {

constexpr char32_t Undefined = 0xFFFD;

// 0x80-0x9F is where the code page differs from Latin-1.
constexpr char32_t HighControls[32] = {
    0x20AC,    Undefined, 0x201A, 0x0192, 0x201E, 0x2026,    0x2020, 0x2021,
    0x02C6,    0x2030,    0x0160, 0x2039, 0x0152, Undefined, 0x017D, Undefined,
    Undefined, 0x2018,    0x2019, 0x201C, 0x201D, 0x2022,    0x2013, 0x2014,
    0x02DC,    0x2122,    0x0161, 0x203A, 0x0153, Undefined, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        // Every code point of the table is in the Basic Multilingual Plane.
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

int windows1252Byte(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (HighControls[i] != Undefined && HighControls[i] == codePoint)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

char32_t windows1252CodePoint(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? HighControls[byte - 0x80] : char32_t{byte};
}

std::string utf8FromWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        appendUtf8(out, windows1252CodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::u16string utf16FromWindows1252(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(static_cast<char16_t>(windows1252CodePoint(static_cast<unsigned char>(c))));
    return out;
}

std::string windows1252FromUtf8(std::string_view utf8) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        std::uint32_t codePoint = 0;
        int continuation = 0;
        if (*p < 0x80) {
            codePoint = *p;
        } else if ((*p & 0xE0) == 0xC0) {
            codePoint = *p & 0x1Fu;
            continuation = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            codePoint = *p & 0x0Fu;
            continuation = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            codePoint = *p & 0x07u;
            continuation = 3;
        } else {
            ++p;
            continue;
        }
        ++p;
        bool valid = true;
        for (int i = 0; i < continuation; ++i, ++p) {
            if (p == end || (*p & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            codePoint = (codePoint << 6) | (*p & 0x3Fu);
        }
        // Overlong forms would smuggle in bytes the text never held.
        static constexpr std::uint32_t Smallest[4] = {0, 0x80, 0x800, 0x10000};
        if (!valid || codePoint < Smallest[continuation])
            continue;
        const int byte = windows1252Byte(codePoint);
        if (byte > 0)
            out.push_back(static_cast<char>(byte));
    }
    return out;
}
