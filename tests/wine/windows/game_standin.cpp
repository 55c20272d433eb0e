// Stands in for the game while it runs: copied into the installation as
// tactico.exe and started from there by tests/wine/players.sh,
//   tactico.exe <end flag file>
// it prints "running" and ends when the flag file appears.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tactico.exe <end flag file>\n");
        return 2;
    }
    std::printf("running\n");
    std::fflush(stdout);
    while (GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES) {
        Sleep(50);
    }
    return 0;
}
