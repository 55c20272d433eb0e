// Whatever fails, the installation is wholly old with the old record, or wholly
// new with the new one.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/run_log.h"
#include "update/commit.h"
#include "update/journal.h"
#include "wizard_harness.h"

namespace {
// Where set, every flush of this folder fails as a failing disk's would.
std::optional<struct stat> failingFolder;
// Where set, every rename (by its new name) and every flush of a folder (by its
// inode), in order.
std::vector<std::string>* diskEvents = nullptr;
} // namespace

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    if (diskEvents != nullptr) {
        diskEvents->push_back(std::string("rename ") + to);
    }
    return static_cast<int>(::syscall(SYS_renameat, fromFolder, from, toFolder, to));
}

// The program's flushes, of folders as of files, come here rather than to the C
// library's fsync.
extern "C" int fsync(int fd) {
    struct stat info {};
    if (failingFolder && ::fstat(fd, &info) == 0 && info.st_dev == failingFolder->st_dev &&
        info.st_ino == failingFolder->st_ino) {
        errno = EIO;
        return -1;
    }
    if (diskEvents != nullptr && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        diskEvents->push_back("flush " + std::to_string(info.st_ino));
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

// Support reads the cause in the log: it must be the system's own for the
// operation that failed, not what the clean-up after it left behind.
void expectLogged(const SampleSetup& setup, const std::string& line) {
    closeRunLog();
    const std::string log = readFile(setup.root / "run.log");
    EXPECT_NE(log.find(line), std::string::npos) << log;
}

// The new record written but not flushed: a power cut may yet bring the old one
// back, so the old files and the journal stay for the next start, which then
// completes the update under either record.
TEST(AllOrNothing, ARecordNotFlushedKeepsTheOldFilesForTheNextStart) {
    for (const bool powerCut : {false, true}) {
        SCOPED_TRACE(powerCut);
        const SampleSetup setup("recordflush");
        ASSERT_TRUE(openRunLog((setup.root / "run.log").c_str()));
        struct stat root {};
        ASSERT_EQ(::stat(setup.root.c_str(), &root), 0);
        failingFolder = root;
        const bool ran = toProgress().waitState(CompletedScreen).key(win::kVkEscape).run(setup);
        failingFolder.reset();
        ASSERT_TRUE(ran);
        EXPECT_EQ(recordedVersion(), UpdaterVersionText);
        setup.expectFiles(setup.game, 0, UpdateFileCount);
        const fs::path staging = setup.game / StagingFolderName;
        EXPECT_TRUE(fs::exists(staging / JournalFileName));
        for (int e = 0; e < UpdateFileCount; ++e) {
            EXPECT_EQ(readFile(staging / asideName(e).c_str()), oldContents(e)) << e;
        }
        expectLogged(setup, "Input/output error\n");
        expectLogged(setup, "the next start finishes its clean-up");

        if (powerCut) {
            setup.writeRecord(OldVersion, setup.game.c_str());
        }
        ASSERT_TRUE(startAgain(setup));
        EXPECT_EQ(recordedVersion(), UpdaterVersionText);
        setup.expectOldOrNew();
        EXPECT_FALSE(fs::exists(staging));
    }
}

// A power cut after the record names the new version must find every new name in
// the game's folders on the disk: each folder is flushed after the last rename into
// it and before the record is written.
TEST(AllOrNothing, TheGamesFoldersReachTheDiskBeforeTheRecord) {
    const SampleSetup setup("flushorder");
    std::vector<std::string> events;
    diskEvents = &events;
    const bool ran = toProgress().waitState(CompletedScreen).key(win::kVkEscape).run(setup);
    diskEvents = nullptr;
    ASSERT_TRUE(ran);
    const auto record = std::find(events.begin(), events.end(), "rename registry.reg");
    ASSERT_NE(record, events.end());
    auto lastMove = record;
    for (auto at = events.begin(); at != record; ++at) {
        for (const UpdateFileEntry& entry : UpdateFileList) {
            lastMove = *at == std::string("rename ") + entry.name ? at : lastMove;
        }
    }
    ASSERT_NE(lastMove, record);
    for (const char* folder : {"", "data", "pictures"}) {
        struct stat info {};
        ASSERT_EQ(::stat((setup.game / folder).c_str(), &info), 0);
        EXPECT_NE(std::find(lastMove, record, "flush " + std::to_string(info.st_ino)), record)
            << "game/" << folder;
    }
}

// The staging folder moved away once the journal is written: the update goes on
// through the folder it holds, and empties it; what then stands at the name is not
// the program's, and the log says where the folder went.
TEST(AllOrNothing, AStagingFolderMovedAwayIsEmptiedAndNamedInTheLog) {
    const SampleSetup setup("movedstaging");
    ASSERT_TRUE(openRunLog((setup.root / "run.log").c_str()));
    static fs::path staging, moved;
    staging = setup.game / StagingFolderName;
    moved = setup.game / "moved";
    commit_hooks::afterOperation = [](int count) {
        if (count == 1) {
            fs::rename(staging, moved);
            fs::create_directory(staging);
        }
        return false;
    };
    const bool ran = toProgress().waitState(CompletedScreen).key(win::kVkEscape).run(setup);
    commit_hooks::afterOperation = nullptr;
    ASSERT_TRUE(ran);
    EXPECT_EQ(recordedVersion(), UpdaterVersionText);
    setup.expectFiles(setup.game, 0, UpdateFileCount);
    EXPECT_TRUE(fs::is_empty(moved));
    EXPECT_TRUE(fs::is_directory(staging)) << "not the program's to remove";
    expectLogged(setup, "was moved while the update ran to " + moved.string());
}

// The installation on a small file system of its own.
class FullDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        disk = setup.root / "disk";
        fs::create_directories(disk);
        if (::mount("tactico-test", disk.c_str(), "tmpfs", 0, "size=16m") != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << ")";
        }
        mounted = true;
        setup.writeOldInstallation(disk);
        setup.writeRecord(OldVersion, disk.c_str());
        ASSERT_TRUE(openRunLog((setup.root / "run.log").c_str()));
    }
    void TearDown() override {
        if (mounted) {
            ::umount2(disk.c_str(), MNT_DETACH);
        }
    }
    // Fills the file system but for about `left` bytes.
    void fill(std::uintmax_t left, const fs::path& on = {}) const {
        const fs::path folder = on.empty() ? disk : on;
        const std::uintmax_t free = fs::space(folder).available;
        fs::remove(folder / "filler");
        writeFile(folder / "filler", std::string(free > left ? free - left : 0, 'f'));
    }

    SampleSetup setup{"disk"};
    fs::path disk;
    bool mounted = false;
};

// Too little space is found before anything is written; a disk filling up while
// staging changes nothing, and the resume goes on where it failed. The record's own
// store full when the new version is to be written undoes the update, which goes
// through once there is room.
TEST_F(FullDisk, ADiskWithoutRoomChangesNothingAndTheResumeContinues) {
    const fs::path recordDisk = disk / "record";
    fs::create_directories(recordDisk);
    ASSERT_EQ(::mount("tactico-record", recordDisk.c_str(), "tmpfs", 0, "size=64k,mode=755"), 0);
    const fs::path record = recordDisk / "registry.reg";
    fs::copy_file(setup.root / "registry.reg", record);
    setenv("TACTICO_REGISTRY", record.c_str(), 1);
    fill(64 * 1024);
    int failedAt = 0;
    Script script = toProgress();
    const auto failsUnchanged = [&](const fs::path& filled) {
        script.waitState(WriteFailureScreen).check([&, filled](UpdateWizard& w) {
            failedAt = w.progressCount;
            setup.expectFiles(disk, 0, 0);
            EXPECT_EQ(recordedVersion(), OldVersion);
            fs::remove(filled / "filler");
        });
    };
    failsUnchanged(disk);
    script.check([&](UpdateWizard&) { EXPECT_EQ(failedAt, 0); });
    script.retry().then([&](UpdateWizard& w) { return w.progressCount == 20 && (fill(0), true); });
    failsUnchanged(disk);
    script.retry().waitState(ProgressScreen).check([&](UpdateWizard& w) {
        EXPECT_GE(failedAt, 20);
        EXPECT_EQ(w.progressCount, failedAt + 1); // the first frame's step is done
    });
    // Filled in the frame that stages the last entry, before the commit that follows.
    script.then([&](UpdateWizard& w) {
        return w.progressCount == UpdateFileCount + 1 && (fill(0, recordDisk), true);
    });
    failsUnchanged(recordDisk);
    const bool ran = script.retry().waitState(CompletedScreen).key(win::kVkEscape).run(setup);
    EXPECT_EQ(recordedVersion(), UpdaterVersionText);
    ::umount2(recordDisk.c_str(), MNT_DETACH);
    ASSERT_TRUE(ran);
    setup.expectFiles(disk, 0, UpdateFileCount);
    expectLogged(setup, ": No space left on device\n");
    expectLogged(setup, "Cannot write \"Version\" into the installation record: No space left "
                        "on device");
}

} // namespace
