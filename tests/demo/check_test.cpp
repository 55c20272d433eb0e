// The demo's verdict is only worth something if its check notices a bad update, and
// its player reports an update that goes wrong and ends rather than wait for ever.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/headless/headless.h"
#include "tests/temp_folder.h"
#include "tools/demo/playthrough.h"
#include "tools/demo/result_check.h"
#include "tools/demo/sample_content.h"
#include "tools/demo/sample_setup.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace {

bool mentions(const std::vector<std::string>& problems, const std::string& what) {
    return std::ranges::any_of(
        problems, [&](const std::string& p) { return p.find(what) != std::string::npos; });
}

class CheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folders = demo::foldersUnder(folder.path());
        setenv("TACTICO_REGISTRY", folders.registry.c_str(), 1);
        headless::install();
        std::string error;
        ASSERT_TRUE(demo::writeInstallation(folders, error)) << error;
        ASSERT_TRUE(demo::writeUpdateFolder(folders, TACTICO_BIN_DIR, error)) << error;
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
    EXPECT_TRUE(mentions(old.problems, "\"Version\" is \"Version 3.69"));
    EXPECT_TRUE(mentions(old.problems, "readme_esp.txt is still in the update folder"));

    applyUpdateByHand();
    demo::CheckResult good =
        demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Kept);
    EXPECT_TRUE(good.ok()) << good.problems.front();
    EXPECT_EQ(good.filesReplaced, UpdateFileCount);

    // The wrong language's readme.
    EXPECT_FALSE(
        demo::checkUpdatedInstallation(folders, French, demo::QuickStartOutcome::Kept).ok());
    // Quick-start games kept where the user asked to delete them.
    EXPECT_TRUE(mentions(
        demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Deleted).problems,
        "premier.qst was not deleted"));

    const fs::path club = folders.installation / "data" / "club.dat";
    std::string changed = readFile(club);
    changed[100] ^= 1;
    writeFile(club, changed);
    writeFile(folders.installation / "data" / "nation.dat.tmp", "half written");
    fs::remove(folders.installation / "qstart" / "notes.txt");
    demo::CheckResult bad =
        demo::checkUpdatedInstallation(folders, Spanish, demo::QuickStartOutcome::Either);
    EXPECT_TRUE(mentions(bad.problems, "club.dat is not the new version"));
    EXPECT_TRUE(mentions(bad.problems, "unexpected file"));
    EXPECT_TRUE(mentions(bad.problems, "notes.txt was touched"));
    EXPECT_EQ(bad.filesReplaced, UpdateFileCount - 1);
}

// The sample has no package until the program's pack mode makes one.
TEST_F(CheckTest, PlaythroughStopsAndReportsWhenThePackageIsMissing) {
    fs::current_path(folders.update);
    demo::PlayResult played = demo::playUpdate(English, folders.screens);
    EXPECT_FALSE(played.reachedCompletion);
    EXPECT_TRUE(mentions(played.problems, "source_error"));
    ASSERT_FALSE(played.screens.empty());
    EXPECT_EQ(played.screens.back().state, SourceErrorScreen);
    EXPECT_TRUE(fs::exists(played.screens.back().png));
    EXPECT_TRUE(played.shellOpens.empty());
}

} // namespace
