// The demo's verdict is only worth something if its check notices a bad update.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/headless/headless.h"
#include "tests/temp_folder.h"
#include "tools/demo/result_check.h"
#include "tools/demo/sample_content.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "wizard/texts.h"

namespace {

bool mentions(const demo::CheckResult& result, const std::string& what) {
    for (const std::string& problem : result.problems)
        if (problem.find(what) != std::string::npos)
            return true;
    return false;
}

class CheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folders = demo::foldersUnder(folder.path());
        setenv("TACTICO_REGISTRY", folders.registry.c_str(), 1);
        headless::install();
        std::string error;
        ASSERT_TRUE(demo::writeInstallation(folders, error)) << error;
        for (int language = 0; language < LanguageCount; ++language)
            writeFile(folders.update / LanguageReadmeFiles[language],
                      demo::readmeContents(language));
        ASSERT_TRUE(demo::writeInstallRecord(folders, error)) << error;
    }

    // What a correct update in Spanish leaves behind.
    void applyUpdateByHand() {
        for (int i = 0; i < UpdateFileCount; ++i) {
            if (isReadmeEntry(i))
                continue;
            fs::path target = folders.installation / demo::relativeTarget(i);
            fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
            writeFile(target, demo::newContents(i));
        }
        fs::rename(folders.update / "readme_esp.txt", folders.installation / "readme.txt");
        ASSERT_TRUE(writeInstallValue("Tactico", "Version", UpdaterVersionText));
    }

    TempFolder folder;
    demo::DemoFolders folders;
};

TEST_F(CheckTest, CorrectUpdatePassesAndEachFaultIsCaught) {
    demo::CheckResult old =
        demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Kept);
    EXPECT_EQ(old.filesReplaced, 0);
    EXPECT_TRUE(mentions(old, "\"Version\" is \"Version 3.69"));
    EXPECT_TRUE(mentions(old, "readme_esp.txt is still in the update folder"));

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

    const fs::path club = folders.installation / "data" / "club.dat";
    std::string changed = readFile(club);
    changed[100] ^= 1;
    writeFile(club, changed);
    writeFile(folders.installation / "data" / "nation.dat.tmp", "half written");
    fs::remove(folders.installation / "qstart" / "notes.txt");
    demo::CheckResult bad =
        demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Either);
    EXPECT_TRUE(mentions(bad, "club.dat is not the new version"));
    EXPECT_TRUE(mentions(bad, "unexpected file"));
    EXPECT_TRUE(mentions(bad, "notes.txt was touched"));
    EXPECT_EQ(bad.filesReplaced, UpdateFileCount - 1);
}

} // namespace
