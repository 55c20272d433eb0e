// Path helpers shared by the engine and the wizard. Paths the program forms are
// written with backslashes, as the installation's conventions have them; they are
// turned into this system's separator here and nowhere else.
#pragma once

#include <cstddef>
#include <filesystem>

inline constexpr char PathSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// Replaces every backslash of text with PathSeparator (a no-op where they agree).
void toNativeSeparators(char* text);

// Joins folder, separator and name into out (outSize bytes, terminator included).
// False, with out emptied, when the result would not fit.
bool joinPath(char* out, std::size_t outSize, const char* folder, const char* name);

// Installation folder + subfolder (backslashed, as in UpdateFileList) + file name.
bool formTargetPath(char* out, std::size_t outSize, const char* installPath, const char* subfolder,
                    const char* name);

// ASCII case-insensitive equality, as Windows compares file names.
bool equalsIgnoreCase(const char* a, const char* b);
