// engine_bench make <folder> <MiB>      46 sources totalling MiB (one of half of it)
// engine_bench pack <folder> [<base> [<versions>]]...
//                                       packUpdate() in folder; with the full package
//                                       of an earlier release (3.69 unless versions
//                                       say otherwise, as in 3.80,3.81), update.patch
//                                       too, with a set for each
// engine_bench extract <folder> <dest>  every entry of folder/update.dat under dest
// engine_bench old <dest>               a small old installation of every entry under dest
// engine_bench update <folder> <dest>   the wizard's update session of dest from
//                                       folder: its checks, 47 staged entries, the
//                                       commit with its record (TACTICO_REGISTRY)
// engine_bench data <folder> <MiB>      folder/base and folder/new: 46 sources of a
//                                       data update, 30 of them tables of fixed-size
//                                       records (3-10 % of the records changed and
//                                       1 % appended from one to the other); and
//                                       folder/mid, a release between them whose
//                                       tables have changes of their own
// engine_bench deltas <patch> <folder>  each VCDIFF delta of update.patch's first
//                                       set, inflated
// engine_bench record <dest> <version>  the installation record (TACTICO_REGISTRY)
// pack, extract and update print "<seconds> <peak RSS KiB>".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/regfile/regfile_store.h"
#include "platform/run_log.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "update/pack_files.h"
#include "update/pack_update.h"
#include "update/package.h"
#include "update/update_session.h"
#include <optional>
#include <random>
#include <zlib.h>

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

// Every body of update.dat to its path under dest, each through a temporary file
// renamed into place: the plain copy the update's staging is measured against.
bool extractAll(const std::string& dest) {
    std::error_code error;
    fs::create_directories(fs::path(dest) / "data", error);
    fs::create_directories(fs::path(dest) / "pictures", error);
    std::FILE* package = openFile(PackageFileName, "rb");
    unsigned char bytes[PackageTableBytes];
    std::string why;
    const std::int64_t length =
        package != nullptr && seekFile(package, 0, SEEK_END) ? tellFile(package) : -1;
    const std::optional<PackageTable> table =
        length >= 0 && seekFile(package, 0, SEEK_SET) &&
                std::fread(bytes, sizeof bytes, 1, package) == 1
            ? readPackageTable(bytes, length, why)
            : std::nullopt;
    const auto buffer = makeCopyBuffer();
    bool ok = table.has_value() && buffer != nullptr;
    if (ok) {
        adviseSequential(package);
    }
    for (int i = 0; ok && i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i)) {
            continue;
        }
        const std::string target = entryTargetPath(dest.c_str(), i);
        const std::string temporary = temporaryPathFor(target.c_str());
        std::FILE* out = createFresh(temporary.c_str());
        ok = out != nullptr &&
             copyBytes(package, out, table->counts[i], buffer.get()) == CopyResult::Done;
        ok = (out == nullptr || std::fclose(out) == 0) && ok &&
             replaceWith(temporary.c_str(), target.c_str());
    }
    if (package != nullptr) {
        std::fclose(package);
    }
    return ok;
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

// 3-10 % of the records of table (by its number) changed, each in two bytes.
void changeRecords(std::minstd_rand& random, int table, std::size_t record, std::string& text) {
    const unsigned percent = 3 + static_cast<unsigned>(table % 8);
    for (std::size_t r = 0; r < text.size() / record; ++r) {
        if (random() % 100 < percent) {
            text[r * record + random() % record] = static_cast<char>('A' + random() % 26);
            text[r * record + random() % record] = static_cast<char>('0' + random() % 10);
        }
    }
}

// One table of fixed-size records and its next version: 3-10 % of the records
// changed (by table), 1 % appended; and a release between them with changes of
// its own.
void makeTable(std::minstd_rand& random, int table, std::size_t bytes, std::string& base,
               std::string& next, std::string& mid) {
    const std::size_t record = 32 + 24 * static_cast<std::size_t>(table % 7);
    const std::size_t count = bytes / record;
    base.assign(count * record, '\0');
    for (char& c : base) {
        // Records of small numbers and text: compressible, as game data is.
        c = static_cast<char>("  aeinorst0123456789ETAONRIS"[random() % 28]);
    }
    next = base;
    changeRecords(random, table, record, next);
    for (std::size_t r = 0; r < count / 100; ++r) {
        next += base.substr((random() % count) * record, record);
    }
    mid = base;
    std::minstd_rand other(static_cast<unsigned>(7 + table));
    changeRecords(other, table, record, mid);
}

bool writeWhole(const fs::path& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr) {
        ok = std::fclose(file) == 0 && ok;
    }
    return ok;
}

bool isTableEntry(int e) {
    const std::string name = UpdateFileList[e].name;
    const std::string type = name.substr(name.rfind('.') + 1);
    return type == "dat" || type == "lng" || type == "ldb" || type == "rgn";
}

// A data update as a publisher would ship it: folder/base holds the 46 sources of
// the release being patched, folder/new those of the next. The 30 data tables
// share the MiB; of the other 16 (the program, configuration and text files, a few
// KiB each but the program) three change, the rest stay as they are.
bool makeDataUpdate(const fs::path& folder, long mebibytes) {
    fs::create_directories(folder / "base");
    fs::create_directories(folder / "new");
    fs::create_directories(folder / "mid");
    std::minstd_rand random(23);
    const std::size_t tableBytes = (static_cast<std::size_t>(mebibytes) << 20) / 30;
    int table = 0;
    int other = 0;
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (isReadmeEntry(e)) {
            continue;
        }
        const std::string name = UpdateFileList[e].name;
        std::string base;
        std::string next;
        std::string mid;
        if (isTableEntry(e)) {
            makeTable(random, table++, tableBytes, base, next, mid);
        } else if (e == 0) {
            base.resize(std::size_t{512} << 10);
            for (char& c : base) {
                c = static_cast<char>(random() >> 8);
            }
            next = base;
        } else {
            for (int line = 0; line < 100; ++line) {
                base += name + " setting " + std::to_string(line) + " = " +
                        std::to_string(random() % 1000) + "\n";
            }
            next = base;
            if (other++ % 5 == 0) {
                next.replace(next.size() / 2, 3, "999");
                next += "added = 1\n";
            }
        }
        mid = mid.empty() ? base : mid;
        if (!writeWhole(folder / "base" / name, base) || !writeWhole(folder / "new" / name, next) ||
            !writeWhole(folder / "mid" / name, mid)) {
            return false;
        }
    }
    return table == 30;
}

// The VCDIFF deltas inside a patch, each inflated to folder/<entry name>.
bool writeDeltas(const char* patchPath, const fs::path& folder) {
    File patch = openPath(patchPath, "rb");
    if (!patch.isOpen()) {
        return false;
    }
    std::string why;
    const std::optional<PatchTable> table =
        readPatchTable(patch, static_cast<std::int64_t>(fs::file_size(patchPath)), why);
    bool ok = table.has_value();
    for (int e = 0; ok && e < UpdateFileCount; ++e) {
        const PatchEntry& entry = table->sets.front().entries[e];
        if (entry.kind != PatchKind::Delta) {
            continue;
        }
        std::string stored(entry.storedBytes, '\0');
        std::string raw(entry.rawBytes, '\0');
        uLongf rawLength = static_cast<uLongf>(raw.size());
        ok = patch.seek(static_cast<std::int64_t>(entry.offset)) &&
             patch.read(stored.data(), stored.size()) == stored.size() &&
             uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawLength,
                        reinterpret_cast<const Bytef*>(stored.data()),
                        static_cast<uLong>(stored.size())) == Z_OK &&
             rawLength == raw.size() && writeWhole(folder / UpdateFileList[e].name, raw);
    }
    if (!ok) {
        std::fprintf(stderr, "engine_bench: cannot read the deltas of %s %s\n", patchPath,
                     why.c_str());
    }
    return ok;
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    static const PlatformOps recordFile{
        .name = "regfile", .readRegistryString = regFileRead, .writeRegistryString = regFileWrite};
    selectPlatform(&recordFile);
    if (argc >= 4 && std::strcmp(argv[1], "make") == 0) {
        return makeSources(argv[2], std::atol(argv[3])) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "old") == 0) {
        return makeOldInstallation(argv[2]) ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "data") == 0) {
        return makeDataUpdate(argv[2], std::atol(argv[3])) ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "deltas") == 0) {
        return writeDeltas(argv[2], argv[3]) ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "record") == 0) {
        const std::string location = fs::absolute(argv[2]).string();
        return writeInstallValue("Tactico", "Location", location.c_str()) &&
                       writeInstallValue("Tactico", "Version", argv[3])
                   ? 0
                   : 1;
    }
    const bool pack = argc >= 3 && std::strcmp(argv[1], "pack") == 0;
    const bool extract = argc == 4 && std::strcmp(argv[1], "extract") == 0;
    const bool update = argc == 4 && std::strcmp(argv[1], "update") == 0;
    if (!pack && !extract && !update) {
        std::fputs("usage: engine_bench make <folder> <MiB> | pack <folder> [<base update.dat> "
                   "[<versions>]]... | "
                   "extract <folder> <dest> | old <dest> | update <folder> <dest> | data <folder> "
                   "<MiB> | deltas <update.patch> <folder> | record <dest> <version>\n",
                   stderr);
        return 2;
    }
    if (const char* log = std::getenv("ENGINE_BENCH_LOG")) {
        openRunLog(log);
    }
    PatchPackOptions patch;
    for (int a = 3; pack && a < argc; a += 2) {
        PatchBase& base = patch.bases.emplace_back();
        base.package = fs::absolute(argv[a]).string();
        std::string versions = a + 1 < argc ? argv[a + 1] : "3.69";
        for (std::size_t at = 0, comma = 0; comma != std::string::npos; at = comma + 1) {
            comma = versions.find(',', at);
            base.versions.push_back(versions.substr(at, comma - at));
        }
    }
    const std::string dest = pack ? "" : fs::absolute(argv[3]).string();
    fs::current_path(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = pack ? packUpdate(patch) : extract ? extractAll(dest) : updateAll(dest);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!ok) {
        std::fputs("engine_bench: operation failed\n", stderr);
        return 1;
    }
    std::printf("%.6f %ld\n", elapsed.count(), peakResidentKiB());
    return 0;
}
