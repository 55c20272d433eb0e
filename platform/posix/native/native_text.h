// This system's own form of a name: its bytes, as they are.
#pragma once

using NativeChar = char;
inline constexpr char PathSeparator = '/';
