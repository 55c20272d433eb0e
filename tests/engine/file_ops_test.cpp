#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "temp_folder.h"
#include "update/file_ops.h"

namespace {

TEST(FileOps, MoveReplacesTheTargetOnThisOrAnotherFilesystem) {
    TempFolder folder;
    writeFile("readme_eng.txt", "new readme");
    writeFile("readme.txt", "old readme");
    fs::permissions("readme.txt", fs::perms::owner_read);
    EXPECT_TRUE(moveFileReplacing("readme_eng.txt", "readme.txt"));
    EXPECT_EQ(readFile("readme.txt"), "new readme");
    EXPECT_FALSE(fs::exists("readme_eng.txt"));
    // With the source gone the target stays as it is.
    EXPECT_FALSE(moveFileReplacing("readme_eng.txt", "readme.txt"));
    EXPECT_EQ(readFile("readme.txt"), "new readme");

    struct stat here {};
    struct stat there {};
    if (::stat(folder.path().c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev || ::access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no second writable filesystem";
    }
    const std::string target = "/dev/shm/tactico-move-" + std::to_string(::getpid());
    writeFile(target, "old");
    const std::string bytes = patternBytes(3 * 1048576 + 5, 7);
    writeFile("readme_fra.txt", bytes);
    EXPECT_TRUE(moveFileReplacing("readme_fra.txt", target.c_str()));
    EXPECT_EQ(readFile(target), bytes);
    EXPECT_FALSE(fs::exists("readme_fra.txt"));
    EXPECT_FALSE(fs::exists(target + ".tmp-update"));
    fs::remove(target);
}

} // namespace
