#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "platform/platform.h"
#include "platform/regfile/regfile_store.h"
#include "tests/temp_folder.h"
#include "update/commit.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "update/journal.h"
#include "update/package.h"
#include "update/recovery.h"

namespace {

std::string smallSource(int index) {
    return patternBytes(200 + 13 * static_cast<std::size_t>(index), index);
}

TEST(Journal, OnlyAWholeJournalOfNumbersIsRead) {
    const Journal journal{{{0, true, 12}, {46, false, 0}}};
    const std::string text = journalText(journal);
    ASSERT_TRUE(parseJournal(text).has_value());
    EXPECT_FALSE(parseJournal(text.substr(0, text.size() - 4)).has_value());
    // A planted journal may name no file and no version: the old form with them
    // is refused, as is anything but three plain numbers per entry.
    for (const char* bad :
         {"entry\t47\t1\t3\n", "entry\t0\t2\t3\n", "entry\t0\t1\t3\n", "entry\t1\t1\t-3\n",
          "entry\t1\t1\t3 x\n", "entry\t1\t1\n", "readme\t/etc/passwd\n", "version\tForged\n"}) {
        std::string changed = text;
        changed.insert(changed.find("entry"), bad);
        EXPECT_FALSE(parseJournal(changed).has_value()) << bad;
    }
}

class Commit : public ::testing::Test {
  protected:
    void SetUp() override {
        selectPlatform(&ops);
        ::setenv("TACTICO_REGISTRY", (folder / "registry.reg").c_str(), 1);
        ASSERT_TRUE(writeInstallValue("Tactico", "Version", "Version 3.69"));
        for (int e = 0; e < UpdateFileCount; ++e) {
            writeFile(entryTargetPath(game.c_str(), e), "old " + std::to_string(e));
        }
        ASSERT_TRUE(folders.open(game.c_str()));
        ASSERT_TRUE(folders.openStaging(true));
        EXPECT_EQ(fs::status(staging).permissions(), fs::perms::owner_all);
        update.folders = &folders;
        update.versionText = "Version 3.84";
        for (int e = 0; e < UpdateFileCount; ++e) {
            writeFile(staging / stagedName(e).c_str(), smallSource(e));
            update.staged[e] = true;
            update.sizes[e] = smallSource(e).size();
        }
    }
    void TearDown() override {
        commit_hooks::afterOperation = nullptr;
        ::unsetenv("TACTICO_REGISTRY");
        selectPlatform(nullptr);
    }
    std::string recorded() const {
        char version[200] = {};
        return readInstallValue("Tactico", "Version", version, sizeof version) ? version : "";
    }
    void expectTargets(bool updated) const {
        for (int e = 0; e < UpdateFileCount; ++e) {
            EXPECT_EQ(readFile(entryTargetPath(game.c_str(), e)),
                      updated ? smallSource(e) : "old " + std::to_string(e))
                << e;
        }
    }

    TempFolder folder;
    PlatformOps ops{.name = "regfile",
                    .readRegistryString = regFileRead,
                    .writeRegistryString = regFileWrite,
                    .flushRegistryKey = regFileFlush};
    const std::string game = folder / "game";
    const fs::path staging = fs::path(game) / StagingFolderName;
    InstallFolders folders;
    StagedUpdate update;
};

// A file that cannot be moved aside half way through: every file goes back, the
// staged files wait for a retry, and the record keeps the old version.
TEST_F(Commit, AFailedMoveUndoesEverythingBeforeIt) {
    // Entry 30's old file cannot be moved aside: a folder with something in it is
    // in the way, put there once the commit has begun.
    static std::string obstacle;
    obstacle = (staging / asideName(30).c_str() / "inside").string();
    commit_hooks::afterOperation = [](int count) {
        if (count == 1) {
            fs::create_directories(obstacle);
        }
        return false;
    };
    EXPECT_EQ(commitUpdate(update), CommitOutcome::NothingChanged);
    commit_hooks::afterOperation = nullptr;

    expectTargets(false);
    EXPECT_FALSE(fs::exists(staging / JournalFileName));
    EXPECT_EQ(recorded(), "Version 3.69");

    // The way clear, the retry replaces everything from the staged files kept, and
    // the staging folder goes.
    fs::remove_all(fs::path(obstacle).parent_path());
    EXPECT_EQ(commitUpdate(update), CommitOutcome::Committed);
    expectTargets(true);
    EXPECT_EQ(recorded(), "Version 3.84");
    EXPECT_FALSE(fs::exists(staging));
}

// A record that says it took the new version but reads back the old one (a
// registry redirected, a write that went elsewhere) is no update: all goes back.
TEST_F(Commit, ARecordThatReadsBackOldUndoesTheUpdate) {
    ops.writeRegistryString = [](const char*, const char*, const char*) { return true; };
    selectPlatform(&ops);
    EXPECT_EQ(commitUpdate(update), CommitOutcome::NothingChanged);
    expectTargets(false);
    EXPECT_EQ(recorded(), "Version 3.69");
    EXPECT_FALSE(fs::exists(staging / JournalFileName));
}

// Killed once the record named the new version: the next start completes the
// update, but removes the old files and the journal only once the record is sure
// to be on the disk, since a power cut could still turn it old.
TEST_F(Commit, RecoveryKeepsTheJournalUntilTheRecordIsOnTheDisk) {
    commit_hooks::afterOperation = [](int) {
        char version[200] = {};
        return readInstallValue("Tactico", "Version", version, sizeof version) &&
               std::string(version) == "Version 3.84";
    };
    EXPECT_EQ(commitUpdate(update), CommitOutcome::Stuck);
    commit_hooks::afterOperation = nullptr;
    ops.flushRegistryKey = [](const char*) { return false; };
    EXPECT_EQ(recoverUpdate(game.c_str(), "Version 3.84"), RecoveryOutcome::Completed);
    expectTargets(true);
    EXPECT_TRUE(fs::exists(staging / JournalFileName));
    EXPECT_TRUE(fs::exists(staging / asideName(0).c_str()));
    ops.flushRegistryKey = regFileFlush;
    EXPECT_EQ(recoverUpdate(game.c_str(), "Version 3.84"), RecoveryOutcome::Completed);
    expectTargets(true);
    EXPECT_FALSE(fs::exists(staging));
}

// The folders are held from before the commit: "data" swapped for a link once the
// journal is written, the files still go where it was, nothing where the link points.
TEST_F(Commit, AFolderSwappedForALinkMidwayLeadsNowhere) {
    fs::create_directories(folder / "elsewhere");
    writeFile(folder / "elsewhere/euro.cfg", "theirs");
    commit_hooks::afterOperation = [](int count) {
        if (count == 1) {
            fs::rename("game/data", "game/data.moved");
            fs::create_directory_symlink(fs::absolute("elsewhere"), "game/data");
        }
        return false;
    };
    EXPECT_EQ(commitUpdate(update), CommitOutcome::Committed);
    EXPECT_EQ(readFile(folder / "elsewhere/euro.cfg"), "theirs");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "elsewhere"), fs::directory_iterator()),
              1);
    fs::remove("game/data");
    fs::rename("game/data.moved", "game/data");
    expectTargets(true);
}

// What stands at the staging folder's name and is not the program's own (open to
// others, or a link) is neither read nor emptied: the installation stays as it is.
TEST_F(Commit, RecoveryTakesOnlyItsOwnStagingFolder) {
    writeFile(staging / JournalFileName, journalText(Journal{{{0, true, 12}}}));
    fs::permissions(staging, fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::add);
    EXPECT_EQ(recoverUpdate(game.c_str(), "Version 3.84"), RecoveryOutcome::Left);
    EXPECT_TRUE(fs::exists(staging / stagedName(0).c_str()));
    fs::permissions(staging, fs::perms::owner_all);

    fs::rename(staging, folder.path() / "moved");
    fs::create_directory_symlink(folder.path() / "moved", staging);
    EXPECT_EQ(recoverUpdate(game.c_str(), "Version 3.84"), RecoveryOutcome::Left);
    EXPECT_TRUE(fs::exists(folder.path() / "moved" / stagedName(0).c_str()));
    expectTargets(false);
    EXPECT_EQ(recorded(), "Version 3.69");
}

} // namespace
