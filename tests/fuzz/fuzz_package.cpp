// The update's reading of update.dat over arbitrary package bytes, in a scratch
// folder: a package whose table does not fill it exactly, or gives the readme a
// body, is refused at once; any other stages each entry as exactly its bytes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/path_io.h"
#include "tests/files.h"
#include "update/file_list.h"
#include "update/package.h"
#include "update/update_source.h"

namespace fs = std::filesystem;

namespace {

// libFuzzer resolves its corpus and artifact paths against the folder it was
// started in, so each run steps into the scratch folder and back out.
fs::path startFolder;
fs::path scratchFolder;

// Each entry by the format's own arithmetic; false when the table does not fit.
bool expectedEntries(const std::string& package, std::vector<std::string>& entries) {
    if (package.size() < PackageTableBytes) {
        return false;
    }
    std::uint64_t offset = PackageTableBytes;
    for (int i = 0; i < UpdateFileCount; ++i) {
        std::uint64_t count = 0;
        for (int b = 3; b >= 0; --b) {
            count = count << 8 | static_cast<unsigned char>(package[4 * i + b]);
        }
        if ((isReadmeEntry(i) && count != 0) || offset + count > package.size()) {
            return false;
        }
        entries.push_back(package.substr(offset, count));
        offset += count;
    }
    return offset == package.size();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    startFolder = fs::current_path();
    scratchFolder = fs::temp_directory_path() / ("fuzz-package-" + std::to_string(getpid()));
    fs::remove_all(scratchFolder);
    fs::create_directories(scratchFolder);
    writeFile(scratchFolder / "readme.txt", "readme");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string package(reinterpret_cast<const char*>(data), size);
    fs::current_path(scratchFolder);
    writeFile(PackageFileName, package);
    std::vector<std::string> entries;
    const bool fits = expectedEntries(package, entries);
    bool sound = true;
    {
        UpdateSource sources;
        const Folder here = openCurrentFolder();
        sound = sources.open(here, "readme.txt", {}, "") == fits;
        for (int e = 0; sound && fits && e < UpdateFileCount; ++e) {
            if (isReadmeEntry(e)) {
                continue;
            }
            File out = openPath("entry.bin", "wb");
            sound = sources.stageEntry(e, &out) == CopyResult::Done && out.close() &&
                    readFile("entry.bin") == entries[e];
        }
    }
    fs::current_path(startFolder);
    if (!sound) {
        std::abort();
    }
    return 0;
}
