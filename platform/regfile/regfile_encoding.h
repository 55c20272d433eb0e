// The byte orders a registry export may come in: regedit writes UTF-16LE with a
// byte-order mark; hand-made files are usually plain or UTF-8.
#pragma once

#include <string>
#include <string_view>

enum class RegFileEncoding { Plain, Utf8Bom, Utf16Le };

// Strips the byte-order mark and decodes UTF-16LE to UTF-8. False for what cannot
// be decoded (odd length, broken surrogate pair, UTF-16BE).
bool decodeRegFileText(std::string_view bytes, RegFileEncoding& encoding, std::string& text);

// The reverse; false when text is not valid UTF-8 and the encoding is UTF-16LE.
bool encodeRegFileText(std::string_view text, RegFileEncoding encoding, std::string& bytes);
