#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "temp_folder.h"
#include "update/file_ops.h"

namespace fs = std::filesystem;

namespace {

TEST(FileOps, MoveReplacesTargetAndRemovesSource) {
    TempFolder folder;
    writeFile("readme_eng.txt", "new readme");
    writeFile("readme.txt", "old readme");
    fs::permissions("readme.txt", fs::perms::owner_read);
    EXPECT_TRUE(moveFileReplacing("readme_eng.txt", "readme.txt"));
    EXPECT_EQ(readFile("readme.txt"), "new readme");
    EXPECT_FALSE(fs::exists("readme_eng.txt"));

    EXPECT_FALSE(moveFileReplacing("readme_eng.txt", "readme.txt"));
    EXPECT_EQ(readFile("readme.txt"), "new readme");
    EXPECT_FALSE(makeWritable("absent.txt"));
}

TEST(FileOps, MoveAcrossFilesystemsCopiesThroughATemporaryFile) {
    TempFolder folder;
    const fs::path other = "/dev/shm";
    struct stat here {};
    struct stat there {};
    if (::stat(folder.path().c_str(), &here) != 0 || ::stat(other.c_str(), &there) != 0 ||
        here.st_dev == there.st_dev || ::access(other.c_str(), W_OK) != 0) {
        GTEST_SKIP() << "no second writable filesystem";
    }
    const fs::path target = other / ("tactico-move-" + std::to_string(::getpid()));
    writeFile(target.string(), "old");
    const std::string bytes = patternBytes(3 * 1048576 + 5, 7);
    writeFile("readme_fra.txt", bytes);
    EXPECT_TRUE(moveFileReplacing("readme_fra.txt", target.c_str()));
    EXPECT_EQ(readFile(target.string()), bytes);
    EXPECT_FALSE(fs::exists("readme_fra.txt"));
    EXPECT_FALSE(fs::exists(target.string() + ".tmp-update"));
    fs::remove(target);
}

} // namespace
