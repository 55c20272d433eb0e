// Starts a program and kills it the moment a file appears, as a power cut or the
// task manager would. Run under Wine by tests/wine/all_or_nothing.sh, which stops
// the update at a chosen point with it:
//   tactico-kill-at <file> <witness> <program> [arguments...]
// Exits with 0 when the program was killed while the witness file still existed,
// 1 when the program ended first or the witness had gone by then.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tactico-kill-at <file> <witness> <program> [arguments...]\n");
        return 2;
    }
    std::string command;
    for (int i = 3; i < argc; ++i) {
        command += (i > 3 ? " \"" : "\"") + std::string(argv[i]) + "\"";
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", argv[3], GetLastError());
        return 2;
    }
    // Polled without pause: the moment matters more than the processor time.
    bool appeared = false;
    while (!(appeared = exists(argv[1])) &&
           WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    }
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return appeared && exists(argv[2]) ? 0 : 1;
}
