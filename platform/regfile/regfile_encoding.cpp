#include "platform/regfile/regfile_encoding.h"

#include <cstdint>

namespace {

void appendUtf8(std::uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void appendUtf16(std::uint32_t unit, std::string& out) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

bool decodeUtf16Le(std::string_view bytes, std::string& text) {
    if (bytes.size() % 2 != 0) {
        return false;
    }
    auto unitAt = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        std::uint32_t code = unitAt(i);
        if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 2 >= bytes.size()) {
                return false;
            }
            const std::uint32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return false;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        appendUtf8(code, text);
    }
    return true;
}

bool encodeUtf16Le(std::string_view text, std::string& bytes) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr std::uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        if (code >= 0x10000) {
            appendUtf16(0xD800 + ((code - 0x10000) >> 10), bytes);
            appendUtf16(0xDC00 + ((code - 0x10000) & 0x3FF), bytes);
        } else {
            appendUtf16(code, bytes);
        }
        i += 1 + extra;
    }
    return true;
}

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LeMark = "\xFF\xFE";
constexpr std::string_view Utf16BeMark = "\xFE\xFF";

} // namespace

bool decodeRegFileText(std::string_view bytes, RegFileEncoding& encoding, std::string& text) {
    text.clear();
    if (bytes.starts_with(Utf8Mark)) {
        encoding = RegFileEncoding::Utf8Bom;
        text.assign(bytes.substr(Utf8Mark.size()));
        return true;
    }
    if (bytes.starts_with(Utf16LeMark)) {
        encoding = RegFileEncoding::Utf16Le;
        return decodeUtf16Le(bytes.substr(Utf16LeMark.size()), text);
    }
    if (bytes.starts_with(Utf16BeMark)) {
        return false;
    }
    encoding = RegFileEncoding::Plain;
    text.assign(bytes);
    return true;
}

bool encodeRegFileText(std::string_view text, RegFileEncoding encoding, std::string& bytes) {
    bytes.clear();
    switch (encoding) {
    case RegFileEncoding::Plain:
        bytes.assign(text);
        return true;
    case RegFileEncoding::Utf8Bom:
        bytes.assign(Utf8Mark);
        bytes.append(text);
        return true;
    case RegFileEncoding::Utf16Le:
        bytes.assign(Utf16LeMark);
        return encodeUtf16Le(text, bytes);
    }
    return false;
}
