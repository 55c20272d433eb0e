// extractEntry over arbitrary package bytes, in a scratch folder: it must write
// exactly the entry's bytes or fail blaming the package, leave an old target as it
// was on failure, and write nothing anywhere else.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "tests/files.h"
#include "update/file_list.h"
#include "update/package.h"

namespace fs = std::filesystem;

namespace {

const char* const Target = "install/target.bin";
// libFuzzer resolves its corpus and artifact paths against the folder it was
// started in, so each run steps into the scratch folder and back out.
fs::path startFolder;
fs::path scratchFolder;

// The entry by the format's own arithmetic; false when it does not fit.
bool expectedEntry(const std::string& package, int index, std::string& entry) {
    if (package.size() < PackageTableBytes) {
        return false;
    }
    auto count = [&](int i) {
        std::uint64_t value = 0;
        for (int b = 3; b >= 0; --b) {
            value = value << 8 | static_cast<unsigned char>(package[4 * i + b]);
        }
        return value;
    };
    std::uint64_t offset = PackageTableBytes;
    for (int i = 0; i < index; ++i) {
        offset += isReadmeEntry(i) ? 0 : count(i);
    }
    if (offset + count(index) > package.size()) {
        return false;
    }
    entry = package.substr(offset, count(index));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    startFolder = fs::current_path();
    scratchFolder = fs::temp_directory_path() / ("fuzz-extract-" + std::to_string(getpid()));
    fs::remove_all(scratchFolder);
    fs::create_directories(scratchFolder / "install");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int index = data[0] % UpdateFileCount;
    const bool oldTarget = (data[0] & 0x80) != 0;
    const std::string package(reinterpret_cast<const char*>(data) + 1, size - 1);
    fs::current_path(scratchFolder);
    writeFile(PackageFileName, package);
    fs::remove(Target);
    if (oldTarget) {
        writeFile(Target, "old target");
    }

    bool packageBad = false;
    const bool extracted = extractEntry(index, Target, packageBad);
    std::string entry;
    bool sound = extracted == expectedEntry(package, index, entry) &&
                 (extracted ? readFile(Target) == entry
                            : packageBad && (oldTarget ? readFile(Target) == "old target"
                                                       : !fs::exists(Target)));
    for (const auto& item : fs::recursive_directory_iterator(".")) {
        const std::string name = item.path().lexically_normal().string();
        sound = sound && (name == PackageFileName || name == "install" || name == Target);
    }
    fs::current_path(startFolder);
    if (!sound) {
        std::abort();
    }
    return 0;
}
