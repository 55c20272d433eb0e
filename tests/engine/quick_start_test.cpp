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

    fs::create_directories("qstart/older");
    for (const char* name : {"qstart/one.qst", "qstart/TWO.QST", "qstart/three.Qst",
                             "qstart/locked.qst", "qstart/keep.qst.bak", "qstart/keep.txt",
                             "qstart/qst", "qstart/older/deep.qst", "top.qst"}) {
        writeFile(name, "x");
    }
    // Read-only games are tested where the attribute stops a removal: tests/wine/readonly.sh.
    EXPECT_TRUE(removeQuickStartFiles(install.c_str(), false));
    EXPECT_TRUE(fs::exists("qstart/one.qst"));

    EXPECT_TRUE(removeQuickStartFiles(install.c_str(), true));
    for (const char* gone :
         {"qstart/one.qst", "qstart/TWO.QST", "qstart/three.Qst", "qstart/locked.qst"}) {
        EXPECT_FALSE(fs::exists(gone)) << gone;
    }
    for (const char* kept : {"qstart/keep.qst.bak", "qstart/keep.txt", "qstart/qst",
                             "qstart/older/deep.qst", "qstart/folder.qst", "top.qst"}) {
        EXPECT_TRUE(fs::exists(kept)) << kept;
    }
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
