// What an elevated program does at names an ordinary account may have prepared:
// links, FIFOs and oversized files are never followed, waited on or read whole.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "platform/folder_trust.h"
#include "platform/posix/start_viewer.h"
#include "platform/run_log.h"
#include "platform/viewer_route.h"
#include "tests/temp_folder.h"
#include "update/file_ops.h"
#include "update/in_use.h"

namespace {

// "outside/secret" stands for any file elsewhere; each name in the folder holds
// something an attacker could plant there.
class UntrustedFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile("outside/secret", "secret");
        fs::permissions("outside/secret", fs::perms::owner_read);
        fs::create_symlink(fs::absolute("outside/secret"), "to-secret");
        fs::create_symlink(fs::absolute("outside/new"), "dangling");
        mkfifo("fifo", 0600);
        writeFile("file", "plain");
    }
    void TearDown() override {
        EXPECT_EQ(readFile("outside/secret"), "secret");
        EXPECT_EQ(fs::status("outside/secret").permissions(), fs::perms::owner_read);
        EXPECT_FALSE(fs::exists("outside/new"));
    }
    TempFolder folder;
};

// Files are made only in the program's own folder, and even there never through
// whatever stands at the name.
TEST_F(UntrustedFolders, CreatingNeverWritesThroughALink) {
    PrivateFolderState state = PrivateFolderState::Failed;
    const PrivateFolder own = openPrivateFolder(openCurrentFolder(), "own", true, state);
    ASSERT_EQ(state, PrivateFolderState::Private);
    fs::create_symlink(fs::absolute("outside/secret"), "own/to-secret");
    fs::create_symlink(fs::absolute("outside/new"), "own/dangling");
    mkfifo("own/fifo", 0600);
    for (const Name& name : {Name("to-secret"), Name("dangling"), Name("fifo")}) {
        EXPECT_FALSE(createFileIn(own, name).isOpen()) << name.c_str() << " already stands there";
    }
    // Under a working name what stands is removed as itself, and a new file made.
    for (const Name& name : {Name("to-secret"), Name("dangling")}) {
        File file = createFreshIn(own, name);
        ASSERT_TRUE(file.isOpen()) << name.c_str();
        EXPECT_TRUE(file.write("mine", 4));
        EXPECT_TRUE(file.close());
        EXPECT_FALSE(fs::is_symlink(fs::path("own") / name.c_str()));
        EXPECT_EQ(readFile(fs::path("own") / name.c_str()), "mine");
    }
}

// A name is one path component wherever it comes from: nothing made of a name
// reaches out of the folder it is used in.
TEST(Names, OnlyASinglePathComponentIsAName) {
    for (const std::string& text :
         {std::string(), std::string("."), std::string(".."), std::string("a/b"), std::string("/"),
          std::string("a\\b"), std::string("a\0b", 3)}) {
        EXPECT_FALSE(Name::of(text).has_value()) << text;
    }
    for (const std::string text : {"update.dat", "...", "a b", "readme_spa.txt"}) { // NOLINT
        ASSERT_TRUE(Name::of(text).has_value()) << text;
        EXPECT_EQ(Name::of(text)->text(), text);
    }
}

TEST_F(UntrustedFolders, ReadingAndRemovalTakeOnlyRegularFilesAndNamesAsThemselves) {
    const Folder here = openCurrentFolder();
    std::string text;
    EXPECT_TRUE(readSmallFile(here, "file", 5, text));
    EXPECT_EQ(text, "plain");
    EXPECT_FALSE(readSmallFile(here, "file", 4, text)) << "longer than the cap";
    EXPECT_FALSE(readSmallFile(here, "missing", 100, text));
    // A FIFO fails at once instead of waiting for a writer that never comes.
    for (const Name& name : {Name("to-secret"), Name("dangling"), Name("fifo")}) {
        EXPECT_FALSE(readSmallFile(here, name, 100, text)) << name.c_str();
        EXPECT_FALSE(openFileIn(here, name, -1, Source::Untrusted).isOpen()) << name.c_str();
        EXPECT_FALSE(appendFileIn(here, name).isOpen()) << name.c_str();
    }
    EXPECT_TRUE(appendFileIn(here, "log").isOpen());

    EXPECT_EQ(entryIn(here, "to-secret"), EntryKind::Link);
    EXPECT_EQ(entryIn(here, "dangling"), EntryKind::Link);
    EXPECT_EQ(entryIn(here, "fifo"), EntryKind::Other);
    EXPECT_EQ(entryIn(here, "missing"), EntryKind::None);
    EXPECT_FALSE(openSubfolder(here, "to-secret").isOpen());
    EXPECT_TRUE(removeIn(here, "to-secret"));
    EXPECT_TRUE(removeIn(here, "to-secret")) << "nothing stands there any more";
    // A second name may be someone else's file: the readme, the package and the log
    // refuse it (where the system lets anyone link anything), and removal takes only
    // the name.
    fs::create_hard_link("outside/secret", "linked");
    EXPECT_FALSE(openFileIn(here, "linked", -1, Source::Untrusted).isOpen());
    EXPECT_FALSE(appendFileIn(here, "linked").isOpen());
    EXPECT_TRUE(removeIn(here, "linked"));
}

// A link on the way to the installation is followed only where no other account
// could have put it.
TEST_F(UntrustedFolders, TheInstallationPathTakesLinksOnlyFromClosedFolders) {
    fs::create_directories("closed");
    fs::create_directories("open");
    fs::create_directories("game/data");
    fs::create_directory_symlink(fs::absolute("game"), "closed/game");
    fs::create_directory_symlink("../game", "open/game");
    fs::permissions("open", fs::perms::all);
    std::string why;
    const Folder game = openInstallFolder((folder / "closed/game").c_str(), why);
    ASSERT_TRUE(game.isOpen()) << why;
    EXPECT_TRUE(openSubfolder(game, "data").isOpen());
    EXPECT_FALSE(openInstallFolder((folder / "open/game").c_str(), why).isOpen());
    EXPECT_NE(why.find("open/game is a link in a folder that other accounts may write"),
              std::string::npos)
        << why;
    EXPECT_FALSE(openInstallFolder((folder / "file").c_str(), why).isOpen());
    // In a sticky folder only the link's owner could have put it there.
    fs::permissions("open", fs::perms::sticky_bit, fs::perm_options::add);
    EXPECT_TRUE(openInstallFolder((folder / "open/game/data").c_str(), why).isOpen()) << why;
    // Unless the sticky folder is another account's: its owner may swap any entry.
    if (geteuid() == 0) {
        ASSERT_EQ(lchown("open", 65534, 65534), 0);
        EXPECT_FALSE(openInstallFolder((folder / "open/game/data").c_str(), why).isOpen());
    }
}

// An /log path is walked as the game folder is: a link planted in a folder others
// may write does not lead the log into a folder only root may write.
TEST_F(UntrustedFolders, TheLogTakesLinksOnlyFromClosedFolders) {
    fs::create_directories("secure");
    fs::create_directories("shared");
    fs::permissions("shared", fs::perms::all);
    fs::create_directory_symlink(fs::absolute("secure"), "shared/logs");
    EXPECT_FALSE(openRunLog("shared/logs/update.log"));
    EXPECT_FALSE(fs::exists("secure/update.log"));
    EXPECT_TRUE(openRunLog((folder / "secure/update.log").c_str()));
    closeRunLog();
    EXPECT_TRUE(fs::exists("secure/update.log"));
}

TEST(ViewerRoute, TheViewerRunsAsTheUserWhoAsked) {
    const struct {
        unsigned long effective;
        const char *sudo, *pkexec;
        bool open;
        long user;
    } cases[] = {
        {1000, "0", nullptr, true, -1},   // not elevated: nothing to hand back
        {0, nullptr, nullptr, true, -1},  // root's own desktop
        {0, "1000", nullptr, true, 1000}, // sudo
        {0, "1000", "1001", true, 1001},  // pkexec, nearer than a sudo around it
        {0, "0", nullptr, true, -1},      // root asked through sudo
        {0, "12ab", nullptr, false, -1},  // unknown caller: not as root
        {0, nullptr, "", false, -1},
    };
    for (const auto& c : cases) {
        const ViewerRoute route = viewerRouteFor(c.effective, c.sudo, c.pkexec);
        EXPECT_EQ(route.open, c.open) << route.description;
        EXPECT_EQ(route.userId, c.user) << route.description;
    }
}

TEST(ViewerRoute, TheViewerStartsWithTheCallersUserId) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can start a program as another user";
    }
    TempFolder folder;
    fs::permissions(folder.path(), fs::perms::all);
    // A stand-in viewer that writes down who it runs as.
    writeFile("viewer", "#!/bin/sh\nid -u > \"$1\"\n");
    fs::permissions("viewer", fs::perms::all);
    ViewerRoute route;
    route.userId = 65534; // nobody
    const pid_t child = startViewer((folder / "viewer").c_str(), (folder / "who").c_str(), route);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(readFile(folder / "who"), "65534\n");
}

// The viewer is found as root finds anything it runs: a relative PATH entry (an
// empty one is the current folder) never runs what was planted there.
TEST(ViewerRoute, TheViewerIsFoundInThePathsAbsoluteFoldersOnly) {
    TempFolder folder;
    writeFile("viewer", "#!/bin/sh\necho ran > \"$1\"\n");
    fs::permissions("viewer", fs::perms::owner_all);
    ViewerRoute route;
    route.open = true;
    const std::string saved = std::getenv("PATH");
    ::setenv("PATH", ("::.:" + (folder / "none")).c_str(), 1);
    EXPECT_EQ(startViewer("viewer", (folder / "ran").c_str(), route), -1);
    ::setenv("PATH", fs::path(folder.path()).c_str(), 1);
    const pid_t child = startViewer("viewer", (folder / "ran").c_str(), route);
    ::setenv("PATH", saved.c_str(), 1);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(readFile(folder / "ran"), "ran\n");
}

} // namespace

namespace {

// The staging folder on Windows, as its owner and access list read back: trusted
// only when no account but Administrators, SYSTEM and the program's own can change it.
TEST(StagingFolderTrust, OwnerAndEveryEntryThatMayWriteMustBeTrusted) {
    constexpr std::uint32_t FullControl = 0x1F01FF;
    constexpr std::uint32_t ReadAndList = 0x1200A9;
    const AccessEntry system{true, true, FullControl};
    const AccessEntry self{true, true, FullControl};
    // As the program makes it, and as Wine reads it back (SYSTEM and the user).
    EXPECT_TRUE(onlyTrustedMayWrite(true, true, std::vector{system, self}));
    // Others may look, and a deny entry takes nothing away.
    EXPECT_TRUE(onlyTrustedMayWrite(true, true,
                                    std::vector{system, AccessEntry{true, false, ReadAndList},
                                                AccessEntry{false, false, FullControl}}));
    // Another account made it with an administrators-only list and kept it: it can
    // rewrite the list whenever it likes.
    EXPECT_FALSE(onlyTrustedMayWrite(false, true, std::vector{system, self}));
    // Anyone may add a file (0x2), or delete what is inside (0x40), or rewrite the list.
    for (const std::uint32_t right : {0x2u, 0x40u, 0x40000u, 0x10000000u}) {
        EXPECT_FALSE(
            onlyTrustedMayWrite(true, true, std::vector{system, AccessEntry{true, false, right}}))
            << right;
    }
    // No list at all lets everyone in.
    EXPECT_FALSE(onlyTrustedMayWrite(true, false, {}));
}

// Renames refused while a scanner holds the file are tried again with growing
// pauses for five seconds, and only for that reason.
TEST(InUseRetry, WaitsForAFileInUseForFiveSecondsAndNoOtherFailure) {
    static int waited = 0;
    waited = 0;
    const auto sleeps =
        std::exchange(in_use::wait, [](int milliseconds) { waited += milliseconds; });
    const Folder here = openCurrentFolder();
    int tries = 0;
    const auto failing = [](int error) {
        errno = error;
        return Status::lastError();
    };
    EXPECT_TRUE(
        retryWhileInUse(here, "club.dat", [&] { return ++tries < 4 ? failing(EBUSY) : Status(); }));
    EXPECT_EQ(waited, 50 + 100 + 200);

    waited = tries = 0;
    EXPECT_FALSE(retryWhileInUse(here, "club.dat", [&] {
        ++tries;
        return failing(EACCES);
    }));
    EXPECT_EQ(tries, 1);

    waited = tries = 0;
    const Status last = retryWhileInUse(here, "club.dat", [&] {
        ++tries;
        return failing(EBUSY);
    });
    EXPECT_TRUE(last.inUse()) << "the last try's error goes back to the caller";
    EXPECT_EQ(waited, in_use::PatienceMilliseconds);
    EXPECT_EQ(errno, EBUSY) << "the last try's error stays for the caller's log";
    EXPECT_LT(tries, 15);
    in_use::wait = sleeps;
}

} // namespace
