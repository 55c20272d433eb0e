// Holds a file open as the running game holds its data files: shared for reading
// and writing but not for deletion, so while it is held the file can be neither
// renamed nor removed. Run under Wine by tests/wine/all_or_nothing.sh:
//   tactico-hold-open <file> <release flag file>
// Prints "holding" once the file is open and lets it go when the flag file appears.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tactico-hold-open <file> <release flag file>\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    std::printf("holding %s\n", argv[1]);
    std::fflush(stdout);
    while (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) {
        Sleep(50);
    }
    CloseHandle(file);
    return 0;
}
