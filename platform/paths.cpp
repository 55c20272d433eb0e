#include "platform/paths.h"

#include <cstring>

void toNativeSeparators(char* text) {
    for (; *text != '\0'; ++text) {
        if (*text == '\\') {
            *text = PathSeparator;
        }
    }
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path += PathSeparator;
    path += name;
    return path;
}

std::string formTargetPath(std::string_view installPath, std::string_view subfolder,
                           std::string_view name) {
    std::string path(installPath);
    // Only the program's own subfolder text is converted: a backslash inside the
    // installation path is a legal file-name character here and must stay one.
    for (const char c : subfolder) {
        path += c == '\\' ? PathSeparator : c;
    }
    path += name;
    return path;
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
