// The wizard's texts are Windows-1252 bytes, because its fonts index their glyphs
// by byte; whatever leaves the program as text is Unicode. One table serves both
// ways, for every place that converts.
#pragma once

#include <string>
#include <string_view>

// The code point of a byte; U+FFFD for the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
char32_t windows1252CodePoint(unsigned char byte);

std::string utf8FromWindows1252(std::string_view text);
std::u16string utf16FromWindows1252(std::string_view text);

// Characters the code page lacks, and malformed sequences, are dropped.
std::string windows1252FromUtf8(std::string_view utf8);
