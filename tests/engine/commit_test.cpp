// The commit's journal, and its undo when a file cannot be replaced part way
// through.
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

namespace {

std::string sourceOf(int index) {
    return patternBytes(200 + 13 * static_cast<std::size_t>(index), index);
}

TEST(Journal, OnlyAWholeJournalOfNumbersIsRead) {
    const Journal journal{{{0, true, 12}, {46, false, 0}}};
    const std::string text = journalText(journal);
    const auto back = parseJournal(text);
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->entries.size(), 2u);
    EXPECT_TRUE(back->entries[0].hadOld);
    EXPECT_EQ(back->entries[0].size, 12u);
    EXPECT_EQ(back->entries[1].index, 46);

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

// A file that cannot be moved aside half way through: every file goes back, the
// staged files wait for a retry, and the record keeps the old version.
TEST(Commit, AFailedMoveUndoesEverythingBeforeIt) {
    TempFolder folder;
    PlatformOps ops{
        .name = "regfile", .readRegistryString = regFileRead, .writeRegistryString = regFileWrite};
    selectPlatform(&ops);
    ::setenv("TACTICO_REGISTRY", (folder / "registry.reg").c_str(), 1);
    ASSERT_TRUE(writeInstallValue("Tactico", "Version", "Version 3.69"));

    const std::string game = folder / "game";
    StagedUpdate update;
    update.installPath = game.c_str();
    update.versionText = "Version 3.84";
    for (int e = 0; e < UpdateFileCount; ++e) {
        const std::string target = entryTargetPath(game.c_str(), e);
        fs::create_directories(fs::path(target).parent_path());
        writeFile(target, "old " + std::to_string(e));
        writeFile(stagedPathFor(target), sourceOf(e));
        update.staged[e] = true;
        update.sizes[e] = sourceOf(e).size();
    }
    // Entry 30's old file cannot be moved aside: a folder with something in it is
    // in the way, put there once the commit has begun.
    static std::string obstacle;
    obstacle = asidePathFor(entryTargetPath(game.c_str(), 30)) + "/inside";
    commit_hooks::afterOperation = [](int count) {
        if (count == 1) {
            fs::create_directories(obstacle);
        }
        return false;
    };
    EXPECT_EQ(commitUpdate(update), CommitOutcome::NothingChanged);
    commit_hooks::afterOperation = nullptr;

    for (int e = 0; e < UpdateFileCount; ++e) {
        const std::string target = entryTargetPath(game.c_str(), e);
        EXPECT_EQ(readFile(target), "old " + std::to_string(e)) << e;
        EXPECT_EQ(readFile(stagedPathFor(target)), sourceOf(e)) << e;
    }
    EXPECT_FALSE(fs::exists(fs::path(game) / JournalFileName));
    char version[200] = {};
    ASSERT_TRUE(readInstallValue("Tactico", "Version", version, sizeof version));
    EXPECT_STREQ(version, "Version 3.69");

    // The way clear, the retry replaces everything.
    fs::remove_all(fs::path(obstacle).parent_path());
    EXPECT_EQ(commitUpdate(update), CommitOutcome::Committed);
    for (int e = 0; e < UpdateFileCount; ++e) {
        EXPECT_EQ(readFile(entryTargetPath(game.c_str(), e)), sourceOf(e)) << e;
    }
    ASSERT_TRUE(readInstallValue("Tactico", "Version", version, sizeof version));
    EXPECT_STREQ(version, "Version 3.84");
    ::unsetenv("TACTICO_REGISTRY");
    selectPlatform(nullptr);
}

} // namespace
