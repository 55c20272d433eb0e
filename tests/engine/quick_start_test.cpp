#include <filesystem>
#include <gtest/gtest.h>

#include "tests/temp_folder.h"
#include "update/quick_start.h"

namespace {

TEST(QuickStart, DeletesOnlyQuickStartFilesDirectlyInTheFolder) {
    TempFolder folder;
    const std::string install = folder.path().string();
    // A missing folder, or one holding only a folder named like a match, has nothing.
    EXPECT_FALSE(removeQuickStartFiles(install.c_str(), false));
    EXPECT_TRUE(removeQuickStartFiles(install.c_str(), true));
    fs::create_directories("qstart/folder.qst");
    EXPECT_FALSE(removeQuickStartFiles(install.c_str(), false));

    // Each file, and whether the removal takes it.
    const std::pair<const char*, bool> files[] = {
        {"qstart/one.qst", true},    {"qstart/TWO.QST", true},         {"qstart/three.Qst", true},
        {"qstart/locked.qst", true}, {"qstart/keep.qst.bak", false},   {"qstart/keep.txt", false},
        {"qstart/qst", false},       {"qstart/older/deep.qst", false}, {"top.qst", false}};
    for (const auto& file : files)
        writeFile(file.first, "x");
    // Read-only games are tested where the attribute stops a removal: tests/wine/readonly.sh.
    EXPECT_TRUE(removeQuickStartFiles(install.c_str(), false));
    EXPECT_TRUE(fs::exists("qstart/one.qst"));

    EXPECT_TRUE(removeQuickStartFiles(install.c_str(), true));
    for (const auto& [name, removed] : files)
        EXPECT_NE(fs::exists(name), removed) << name;
    EXPECT_TRUE(fs::is_directory("qstart/folder.qst"));
    EXPECT_FALSE(removeQuickStartFiles(install.c_str(), false));

    // A linked folder is not the games, whatever it holds.
    writeFile("elsewhere/saved.qst", "x");
    fs::create_directory("linked");
    fs::create_directory_symlink(fs::absolute("elsewhere"), "linked/qstart");
    EXPECT_FALSE(removeQuickStartFiles("linked", false));
    EXPECT_TRUE(removeQuickStartFiles("linked", true));
    EXPECT_TRUE(fs::exists("elsewhere/saved.qst"));
}

} // namespace
