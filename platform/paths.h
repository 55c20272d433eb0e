// Path helpers shared by the engine and the wizard. Paths the program forms are
// written with backslashes, as the installation's conventions have them; they are
// turned into this system's separator here and nowhere else.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// PathSeparator: each backend's own.
#include "native_text.h"

// Replaces every backslash of text with PathSeparator (a no-op where they agree).
void toNativeSeparators(char* text);

// folder, separator and name.
std::string joinPath(std::string_view folder, std::string_view name);

// Installation folder + subfolder (backslashed, as in UpdateFileList) + file name.
std::string formTargetPath(std::string_view installPath, std::string_view subfolder,
                           std::string_view name);

// ASCII case-insensitive equality, as Windows compares file names.
bool equalsIgnoreCase(const char* a, const char* b);
