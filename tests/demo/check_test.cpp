// The demo's verdict is only worth something if its check notices a bad update.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/headless/headless.h"
#include "tools/demo/result_check.h"
#include "tools/demo/sample_content.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "wizard/texts.h"

namespace fs = std::filesystem;

namespace {

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool mentions(const demo::CheckResult& result, const std::string& what) {
    for (const std::string& problem : result.problems)
        if (problem.find(what) != std::string::npos)
            return true;
    return false;
}

class CheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tactico-demo-check-" + std::to_string(::getpid()));
        fs::remove_all(root);
        folders = demo::foldersUnder(root);
        setenv("TACTICO_REGISTRY", folders.registry.c_str(), 1);
        headless::install();
        std::string error;
        ASSERT_TRUE(demo::writeInstallation(folders, error)) << error;
        for (int language = 0; language < LanguageCount; ++language)
            writeText(folders.update / LanguageReadmeFiles[language],
                      demo::readmeContents(language));
        ASSERT_TRUE(demo::writeInstallRecord(folders, error)) << error;
    }
    void TearDown() override { fs::remove_all(root); }

    // What a correct update in Spanish leaves behind.
    void applyUpdateByHand() {
        for (int i = 0; i < UpdateFileCount; ++i) {
            if (isReadmeEntry(i))
                continue;
            fs::path target = folders.installation / demo::relativeTarget(i);
            fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
            writeText(target, demo::newContents(i));
        }
        fs::rename(folders.update / "readme_esp.txt", folders.installation / "readme.txt");
        ASSERT_TRUE(writeInstallValue("Tactico", "Version", UpdaterVersionText));
    }

    fs::path root;
    demo::DemoFolders folders;
};

TEST_F(CheckTest, OldInstallationFailsEveryFile) {
    demo::CheckResult result =
        demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Kept);
    EXPECT_EQ(result.filesReplaced, 0);
    EXPECT_TRUE(mentions(result, "\"Version\" is \"Version 3.69"));
    EXPECT_TRUE(mentions(result, "readme_esp.txt is still in the update folder"));
}

TEST_F(CheckTest, CorrectUpdatePassesAndEachFaultIsCaught) {
    applyUpdateByHand();
    demo::CheckResult good =
        demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Kept);
    EXPECT_TRUE(good.ok()) << good.problems.front();
    EXPECT_EQ(good.filesReplaced, UpdateFileCount);

    // The wrong language's readme.
    EXPECT_FALSE(
        demo::checkUpdatedInstallation(folders, French, demo::QuickStartOutcome::Kept).ok());
    // Quick-start games kept where the user asked to delete them.
    EXPECT_TRUE(
        mentions(demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Deleted),
                 "premier.qst was not deleted"));

    {
        fs::path club = folders.installation / "data" / "club.dat";
        std::fstream file(club, std::ios::in | std::ios::out | std::ios::binary);
        file.seekg(100);
        char byte = static_cast<char>(file.get());
        file.seekp(100);
        file.put(static_cast<char>(byte ^ 1));
    }
    writeText(folders.installation / "data" / "nation.dat.tmp", "half written");
    fs::remove(folders.installation / "qstart" / "notes.txt");
    demo::CheckResult bad =
        demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Either);
    EXPECT_TRUE(mentions(bad, "club.dat is not the new version"));
    EXPECT_TRUE(mentions(bad, "unexpected file"));
    EXPECT_TRUE(mentions(bad, "notes.txt was touched"));
    EXPECT_EQ(bad.filesReplaced, UpdateFileCount - 1);
}

} // namespace
