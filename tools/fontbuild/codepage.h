// Windows-1252 code points of the byte values a font covers.
#pragma once

#include <cstdint>

// The Unicode code point of byte `code` (32-255), or 0 where the code page
// leaves the byte undefined.
std::uint32_t windows1252ToUnicode(unsigned code);
