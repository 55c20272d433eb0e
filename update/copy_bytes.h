// Copying through one bounded buffer, so memory never grows with the size of a file.
#pragma once

#include <cstddef>
#include <memory>

inline constexpr std::size_t CopyBufferBytes = std::size_t{1} << 20;

// Null when the buffer cannot be had.
std::unique_ptr<unsigned char[]> makeCopyBuffer();

enum class CopyResult { Done, SourceShort, WriteFailed };
