// The headless player must report an update that goes wrong, and end, rather
// than wait for a screen that never comes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/headless/headless.h"
#include "tests/temp_folder.h"
#include "tools/demo/playthrough.h"
#include "tools/demo/sample_content.h"
#include "tools/demo/sample_setup.h"
#include "update/file_list.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace {

TEST(SampleContent, EveryEntryChangesAndSomeSpanSeveralCopyChunks) {
    int large = 0;
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i))
            continue;
        std::string before = demo::oldContents(i), after = demo::newContents(i);
        EXPECT_NE(before, after) << UpdateFileList[i].name;
        EXPECT_FALSE(after.empty()) << UpdateFileList[i].name;
        large += after.size() > 65536;
    }
    EXPECT_GE(large, 3);
}

TEST(Playthrough, StopsAndReportsWhenThePackageIsMissing) {
    const TempFolder folder;
    demo::DemoFolders folders = demo::foldersUnder(folder.path());
    setenv("TACTICO_REGISTRY", folders.registry.c_str(), 1);
    headless::install();
    std::string error;
    ASSERT_TRUE(demo::writeInstallation(folders, error)) << error;
    ASSERT_TRUE(demo::writeUpdateFolder(folders, TACTICO_BIN_DIR, error)) << error;
    ASSERT_TRUE(demo::writeInstallRecord(folders, error)) << error;

    fs::path here = fs::current_path();
    ASSERT_EQ(chdir(folders.update.c_str()), 0);
    demo::PlayResult played = demo::playUpdate(English, folders.screens);
    ASSERT_EQ(chdir(here.c_str()), 0);

    EXPECT_FALSE(played.reachedCompletion);
    ASSERT_FALSE(played.problems.empty());
    EXPECT_NE(played.problems.front().find("source_error"), std::string::npos)
        << played.problems.front();
    ASSERT_FALSE(played.screens.empty());
    EXPECT_EQ(played.screens.back().state, SourceErrorScreen);
    EXPECT_TRUE(fs::exists(played.screens.back().png));
    EXPECT_TRUE(played.shellOpens.empty());
}

} // namespace
