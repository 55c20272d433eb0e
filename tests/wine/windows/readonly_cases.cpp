// A replacement that fails leaves a read-only target read-only, where the system
// enforces the attribute (on Linux as root nothing does, so the case runs here,
// as a Windows program under Wine). The update of read-only files and quick-start
// games itself is checked by the whole update in tests/wine/run.sh.
//   tactico-readonly-cases <empty folder>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_io.h"

namespace {

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool isReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tactico-readonly-cases <empty folder>\n");
        return 2;
    }
    const std::string target = std::string(argv[1]) + "\\tactico.exe";
    writeFile(target, "old program");
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(target.c_str())) {
        std::printf("FAIL: this system removes read-only files anyway; the case proves nothing\n");
        return 1;
    }
    std::string why;
    const Folder folder = openInstallFolder(argv[1], why);
    PrivateFolderState state = PrivateFolderState::Failed;
    const PrivateFolder staging = openPrivateFolder(folder, "staging", true, state);
    if (!staging.isOpen()) {
        std::printf("FAIL: no staging folder in %s: %s\n", argv[1], why.c_str());
        return 1;
    }
    const bool ok = !moveIn(staging, "missing.new", folder, "tactico.exe") &&
                    readFile(target) == "old program" && isReadOnly(target);
    std::printf("%s: after a failed replacement the target is as it was, read-only\n",
                ok ? "ok" : "FAIL");
    return ok ? 0 : 1;
}
