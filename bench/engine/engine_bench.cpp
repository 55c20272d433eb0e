// engine_bench make <folder> <MiB>      46 sources totalling MiB (one of half of it)
// engine_bench pack <folder>            packUpdate() in folder
// engine_bench extract <folder> <dest>  every entry of folder/update.dat under dest
// engine_bench old <dest>               a small old installation of every entry under dest
// engine_bench update <folder> <dest>   the wizard's update session of dest from
//                                       folder: its checks, 47 staged entries, the
//                                       commit with its record (TACTICO_REGISTRY)
// pack, extract and update print "<seconds> <peak RSS KiB>".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "platform/platform.h"
#include "platform/regfile/regfile_store.h"
#include "update/file_list.h"
#include "update/package.h"
#include "update/paths.h"
#include "update/run_log.h"
#include "update/update_session.h"

namespace fs = std::filesystem;

namespace {

bool makeSources(const char* folder, long mebibytes) {
    const std::uint64_t total = static_cast<std::uint64_t>(mebibytes) << 20;
    const std::uint64_t big = total / 2;
    const std::uint64_t small = (total - big) / 45;
    std::vector<unsigned char> block(1 << 20);
    std::uint32_t state = 12345;
    int made = 0;
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i)) {
            continue;
        }
        std::uint64_t size = made == 0 ? big : small;
        if (made == 45) {
            size = total - big - 44 * small;
        }
        ++made;
        std::FILE* file = std::fopen((fs::path(folder) / UpdateFileList[i].name).c_str(), "wb");
        if (file == nullptr) {
            return false;
        }
        while (size > 0) {
            for (auto& byte : block) {
                state = state * 1664525u + 1013904223u;
                byte = static_cast<unsigned char>(state >> 24);
            }
            const std::size_t chunk = size < block.size() ? size : block.size();
            if (std::fwrite(block.data(), 1, chunk, file) != chunk) {
                std::fclose(file);
                return false;
            }
            size -= chunk;
        }
        std::fclose(file);
    }
    return true;
}

bool extractAll(const std::string& dest) {
    std::error_code error;
    fs::create_directories(fs::path(dest) / "data", error);
    fs::create_directories(fs::path(dest) / "pictures", error);
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i)) {
            continue;
        }
        char target[1024];
        bool packageBad = false;
        if (!formTargetPath(target, sizeof target, dest.c_str(), UpdateFileList[i].subfolder,
                            UpdateFileList[i].name) ||
            !extractEntry(i, target, packageBad)) {
            return false;
        }
    }
    return true;
}

bool makeOldInstallation(const std::string& dest) {
    for (int i = 0; i < UpdateFileCount; ++i) {
        const std::string target = entryTargetPath(dest.c_str(), i);
        std::error_code error;
        fs::create_directories(fs::path(target).parent_path(), error);
        std::FILE* file = std::fopen(target.c_str(), "wb");
        if (file == nullptr || std::fputs("old\n", file) < 0 || std::fclose(file) != 0) {
            return false;
        }
    }
    return true;
}

// The wizard's update from the click on Next to the record's new version: the
// same session, one step per frame, without the frames.
bool updateAll(const std::string& dest) {
    UpdateSession session(
        {dest, "readme_eng.txt", "Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)"});
    for (;;) {
        switch (session.next().kind) {
        case UpdateStepKind::Checked:
        case UpdateStepKind::Staged:
            break;
        case UpdateStepKind::Committed:
            return true;
        default:
            return false;
        }
    }
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "make") == 0) {
        return makeSources(argv[2], std::atol(argv[3])) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "old") == 0) {
        return makeOldInstallation(argv[2]) ? 0 : 1;
    }
    const bool pack = argc == 3 && std::strcmp(argv[1], "pack") == 0;
    const bool extract = argc == 4 && std::strcmp(argv[1], "extract") == 0;
    const bool update = argc == 4 && std::strcmp(argv[1], "update") == 0;
    if (!pack && !extract && !update) {
        std::fputs("usage: engine_bench make <folder> <MiB> | pack <folder> | extract <folder> "
                   "<dest> | old <dest> | update <folder> <dest>\n",
                   stderr);
        return 2;
    }
    static const PlatformOps recordFile{
        .name = "regfile", .readRegistryString = regFileRead, .writeRegistryString = regFileWrite};
    selectPlatform(&recordFile);
    if (const char* log = std::getenv("ENGINE_BENCH_LOG")) {
        openRunLog(log);
    }
    const std::string dest = pack ? "" : fs::absolute(argv[3]).string();
    fs::current_path(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = pack ? packUpdate() : extract ? extractAll(dest) : updateAll(dest);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!ok) {
        std::fputs("engine_bench: operation failed\n", stderr);
        return 1;
    }
    std::printf("%.6f %ld\n", elapsed.count(), peakResidentKiB());
    return 0;
}
