#include "update/paths.h"

#include <cstring>

void toNativeSeparators(char* text) {
    for (; *text != '\0'; ++text) {
        if (*text == '\\') {
            *text = PathSeparator;
        }
    }
}

namespace {

// Appends text at out[length], keeping room for the terminator.
bool append(char* out, std::size_t outSize, std::size_t& length, const char* text) {
    const std::size_t textLength = std::strlen(text);
    if (textLength >= outSize - length) {
        return false;
    }
    std::memcpy(out + length, text, textLength + 1);
    length += textLength;
    return true;
}

} // namespace

bool joinPath(char* out, std::size_t outSize, const char* folder, const char* name) {
    if (outSize == 0) {
        return false;
    }
    const char separator[2] = {PathSeparator, '\0'};
    std::size_t length = 0;
    out[0] = '\0';
    if (!append(out, outSize, length, folder) || !append(out, outSize, length, separator) ||
        !append(out, outSize, length, name)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool formTargetPath(char* out, std::size_t outSize, const char* installPath, const char* subfolder,
                    const char* name) {
    if (outSize == 0) {
        return false;
    }
    std::size_t length = 0;
    out[0] = '\0';
    if (!append(out, outSize, length, installPath)) {
        out[0] = '\0';
        return false;
    }
    // Only the program's own subfolder text is converted: a backslash inside the
    // installation path is a legal file-name character here and must stay one.
    const std::size_t subfolderStart = length;
    if (!append(out, outSize, length, subfolder) || !append(out, outSize, length, name)) {
        out[0] = '\0';
        return false;
    }
    for (std::size_t i = subfolderStart, end = subfolderStart + std::strlen(subfolder); i < end;
         ++i) {
        if (out[i] == '\\') {
            out[i] = PathSeparator;
        }
    }
    return true;
}

bool equalsIgnoreCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a;
        char y = *b;
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
        if (x == '\0') {
            return true;
        }
    }
}
