// This system's own form of a name: UTF-16, as its wide-character calls take it.
#pragma once

using NativeChar = wchar_t;
inline constexpr char PathSeparator = '\\';
