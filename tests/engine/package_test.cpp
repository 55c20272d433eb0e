#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "temp_folder.h"
#include "update/file_list.h"
#include "update/package.h"
#include "update/paths.h"

namespace fs = std::filesystem;

namespace {

constexpr int ReadmeIndex = 42;

std::size_t sizeOfEntry(int index) {
    static const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 3 * 1048576 + 7, 1048576, 2};
    return index < 8 ? sizes[index] : 100 + 37 * static_cast<std::size_t>(index);
}

std::string sourceOf(int index) {
    return patternBytes(sizeOfEntry(index), index);
}

void writeSources() {
    for (int i = 0; i < UpdateFileCount; ++i) {
        writeFile(UpdateFileList[i].name, isReadmeEntry(i) ? "never packed" : sourceOf(i));
    }
}

std::string targetOf(const std::string& installPath, int index) {
    char path[1024];
    formTargetPath(path, sizeof path, installPath.c_str(), UpdateFileList[index].subfolder,
                   UpdateFileList[index].name);
    return path;
}

std::string littleEndian(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int b = 0; b < 4; ++b) {
        bytes[b] = static_cast<char>(value >> (8 * b));
    }
    return bytes;
}

// Half-written replacements carry ".tmp" in their names.
bool noTemporaryLeft(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp") != std::string::npos) {
            return false;
        }
    }
    return true;
}

TEST(Package, RoundTripReproducesEverySourceAndTheReadmeShiftsNothing) {
    TempFolder folder;
    writeSources();
    ASSERT_TRUE(packUpdate());

    // The readme's slot is 0 and it adds no body, so nothing after it shifts.
    std::string table;
    std::size_t total = 0;
    for (int i = 0; i < UpdateFileCount; ++i) {
        const std::size_t expected = isReadmeEntry(i) ? 0 : sizeOfEntry(i);
        table += littleEndian(static_cast<std::uint32_t>(expected));
        total += expected;
    }
    const std::string package = readFile(PackageFileName);
    EXPECT_EQ(package.substr(0, PackageTableBytes), table);
    EXPECT_EQ(package.size(), PackageTableBytes + total);

    const std::string install = folder / "game";
    fs::create_directories(install + "/data");
    fs::create_directories(install + "/pictures");
    writeFile(targetOf(install, 0), "an old, longer file that the empty entry replaces");
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i)) {
            continue;
        }
        bool packageBad = true;
        ASSERT_TRUE(extractEntry(i, targetOf(install, i).c_str(), packageBad)) << "entry " << i;
        EXPECT_EQ(readFile(targetOf(install, i)), sourceOf(i)) << "entry " << i;
    }
    EXPECT_EQ(targetOf(install, 14), install + "/data/club.dat");
    EXPECT_FALSE(fs::exists(targetOf(install, ReadmeIndex)));
    EXPECT_TRUE(noTemporaryLeft(folder.path()));
}

TEST(Package, FailedPackLeavesTheEarlierPackageAsItWas) {
    TempFolder folder;
    writeSources();
    writeFile(PackageFileName, "earlier package");
    fs::remove(UpdateFileList[30].name);
    EXPECT_FALSE(packUpdate());
    EXPECT_EQ(readFile(PackageFileName), "earlier package");

    EXPECT_TRUE(noTemporaryLeft(folder.path()));
}

class PackageFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        writeSources();
        ASSERT_TRUE(packUpdate());
        package = readFile(PackageFileName);
        fs::create_directories(folder / "game/data");
        fs::create_directories(folder / "game/pictures");
        for (int i = 0; i < UpdateFileCount; ++i) {
            writeFile(target(i), "old " + std::to_string(i));
        }
    }

    std::string target(int index) const { return targetOf(folder / "game", index); }

    // Extraction must fail on the package's side and leave the old target.
    void expectPackageFault(int index) {
        bool packageBad = false;
        EXPECT_FALSE(extractEntry(index, target(index).c_str(), packageBad)) << "entry " << index;
        EXPECT_TRUE(packageBad) << "entry " << index;
        EXPECT_EQ(readFile(target(index)), "old " + std::to_string(index));
    }

    TempFolder folder;
    std::string package;
};

TEST_F(PackageFaults, MissingShortOrOverrunTableIsThePackagesFault) {
    fs::remove(PackageFileName);
    expectPackageFault(1);
    bool packageBad = false;
    EXPECT_FALSE(extractEntry(1, (folder / "fresh.cfg").c_str(), packageBad));
    EXPECT_TRUE(packageBad);
    EXPECT_FALSE(fs::exists(folder / "fresh.cfg"));

    writeFile(PackageFileName, package.substr(0, 100));
    expectPackageFault(0);

    // A count reaching past the end is found before the target is touched.
    std::string forged = package;
    forged.replace(4 * 3, 4, littleEndian(0xFFFFFFFFu));
    writeFile(PackageFileName, forged);
    expectPackageFault(3);
    expectPackageFault(4);
    EXPECT_TRUE(extractEntry(2, target(2).c_str(), packageBad));
    EXPECT_TRUE(noTemporaryLeft(folder.path()));
}

TEST_F(PackageFaults, BodyCutShortFailsOnlyFromTheCutOn) {
    // Cut inside entry 5 (the 3 MiB one), past its first copy chunk.
    std::size_t start = PackageTableBytes;
    for (int i = 0; i < 5; ++i) {
        start += sizeOfEntry(i);
    }
    writeFile(PackageFileName, package.substr(0, start + 2 * 1048576 + 3));
    for (int i = 0; i < 5; ++i) {
        bool packageBad = true;
        EXPECT_TRUE(extractEntry(i, target(i).c_str(), packageBad)) << "entry " << i;
        EXPECT_EQ(readFile(target(i)), sourceOf(i));
    }
    expectPackageFault(5);
    expectPackageFault(46);
    EXPECT_TRUE(noTemporaryLeft(folder.path()));
}

TEST_F(PackageFaults, OffsetsBeyondFourGibibytesAreReached) {
    // Two maximal entries put entry 2 past 8 GiB; a 32-bit sum would wrap to the
    // start of the package. The file is sparse, so this costs no disk space.
    std::string table(PackageTableBytes, '\0');
    table.replace(0, 4, littleEndian(0xFFFFFFFFu));
    table.replace(4, 4, littleEndian(0xFFFFFFFFu));
    table.replace(8, 4, littleEndian(5));
    writeFile(PackageFileName, table);
    const std::uintmax_t bodyStart = PackageTableBytes + 2 * std::uintmax_t{0xFFFFFFFFu};
    std::error_code error;
    fs::resize_file(PackageFileName, bodyStart, error);
    if (error) {
        GTEST_SKIP() << "filesystem cannot hold a sparse 8 GiB file";
    }
    {
        std::FILE* file = std::fopen(PackageFileName, "ab");
        ASSERT_NE(file, nullptr);
        std::fputs("HELLO", file);
        std::fclose(file);
    }
    bool packageBad = true;
    ASSERT_TRUE(extractEntry(2, target(2).c_str(), packageBad));
    EXPECT_EQ(readFile(target(2)), "HELLO");
}

TEST_F(PackageFaults, TargetFaultsAreNotThePackagesFault) {
    bool packageBad = true;
    EXPECT_FALSE(extractEntry(1, (folder / "game/missing/euro.cfg").c_str(), packageBad));
    EXPECT_FALSE(packageBad);

    // A folder standing where the file should go.
    fs::remove(target(13));
    fs::create_directories(target(13) + "/inside");
    packageBad = true;
    EXPECT_FALSE(extractEntry(13, target(13).c_str(), packageBad));
    EXPECT_FALSE(packageBad);
    EXPECT_TRUE(fs::is_directory(target(13) + "/inside"));
    EXPECT_TRUE(noTemporaryLeft(folder.path()));

    if (runningAsRoot()) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    fs::permissions(folder / "game/data", fs::perms::owner_read | fs::perms::owner_exec);
    packageBad = true;
    EXPECT_FALSE(extractEntry(14, target(14).c_str(), packageBad));
    EXPECT_FALSE(packageBad);
    EXPECT_EQ(readFile(target(14)), "old 14");
}

} // namespace
