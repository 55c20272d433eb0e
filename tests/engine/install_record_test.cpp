#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/regfile/regfile_store.h"
#include "platform/run_log.h"
#include "tests/temp_folder.h"
#include "update/install_record.h"

namespace {

const char* const VersionText = "Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)";

const std::string Existing = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Other Vendor\\Game]\r\n"
                             "\"Path\"=\"C:\\\\Other\"\r\n\"Flags\"=dword:00000003\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Brackwater Ltd\\Tactico]\r\n"
                             "\"Version\"=\"Version 3.69\"\r\n\"Blob\"=hex:01,02,\\\r\n  03,04\r\n"
                             "\"Location\"=\"/opt/tactico\"\r\n\r\n";

class InstallRecord : public ::testing::Test {
  protected:
    void SetUp() override {
        selectPlatform(&ops);
        ::setenv("TACTICO_REGISTRY", store.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("TACTICO_REGISTRY");
        selectPlatform(nullptr);
    }

    std::string read(const char* valueName, std::uint32_t size = 200, const char* key = "Tactico") {
        char buffer[200] = {};
        return readInstallValue(key, valueName, buffer, size) ? buffer : "<failed>";
    }

    TempFolder folder;
    PlatformOps ops{
        .name = "regfile", .readRegistryString = regFileRead, .writeRegistryString = regFileWrite};
    const std::string store = folder / "registry.reg";
};

// A write changes its own value alone, creating the file and the key if missing.
TEST_F(InstallRecord, AWriteChangesOnlyItsValueAndKeepsTheFormat) {
    ASSERT_TRUE(writeInstallValue("Tactico", "Version", VersionText));
    EXPECT_EQ(read("Version", 47), VersionText);
    EXPECT_EQ(read("Version", 46), "<failed>");
    ASSERT_TRUE(writeInstallValue("Tactico", "Location", "C:\\T\"1\""));
    // By hand: header, blank line, the key, one value line each with \\ and \" escapes.
    EXPECT_EQ(readFile(store), "Windows Registry Editor Version 5.00\r\n\r\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\Brackwater Ltd\\Tactico]\r\n"
                               "\"Version\"=\"Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)\"\r\n"
                               "\"Location\"=\"C:\\\\T\\\"1\\\"\"\r\n\r\n");
    EXPECT_EQ(read("Location"), "C:\\T\"1\"");

    writeFile(store, Existing);
    EXPECT_EQ(read("Version"), "Version 3.69");
    EXPECT_EQ(read("location"), "/opt/tactico");
    EXPECT_EQ(read("Blob"), "<failed>");
    EXPECT_EQ(read("Version", 200, "Tacticx"), "<failed>");

    ASSERT_TRUE(writeInstallValue("Tactico", "Version", VersionText));
    std::string expected = Existing;
    expected.replace(expected.find("Version 3.69"), 12, VersionText);
    EXPECT_EQ(readFile(store), expected);

    ASSERT_TRUE(writeInstallValue("Tactico", "Added", "new"));
    const std::string location = "\"Location\"=\"/opt/tactico\"\r\n";
    expected.insert(expected.find(location) + location.size(), "\"Added\"=\"new\"\r\n");
    EXPECT_EQ(readFile(store), expected);
}

TEST_F(InstallRecord, UnusableFileIsNeitherReadNorOverwritten) {
    for (const std::string& bad :
         {std::string("REGEDIT5\r\n"), Existing + "stray line\r\n",
          Existing + "[-HKEY_LOCAL_MACHINE\\Software\\Other Vendor]\r\n",
          Existing.substr(0, Existing.find("  03,04")), std::string("\xFE\xFF\x00W", 4)}) {
        writeFile(store, bad);
        EXPECT_EQ(read("Version"), "<failed>");
        EXPECT_FALSE(writeInstallValue("Tactico", "Version", VersionText));
        EXPECT_EQ(readFile(store), bad);
    }
    writeFile(store, Existing);
    EXPECT_FALSE(writeInstallValue("Tactico", "Version", "two\nlines"));
    EXPECT_EQ(readFile(store), Existing);

    // Read but not written: only the write fails (root may write it anyway).
    if (::geteuid() != 0) {
        fs::permissions(store, fs::perms::owner_read);
        EXPECT_EQ(read("Version"), "Version 3.69");
        EXPECT_FALSE(writeInstallValue("Tactico", "Version", VersionText));
        EXPECT_EQ(readFile(store), Existing);
    }
}

TEST_F(InstallRecord, Utf16ExportsSurviveAWrite) {
    std::string wide = "\xFF\xFE";
    for (char c : Existing + "[HKEY_LOCAL_MACHINE\\Software\\Caf\xC3\xA9]\r\n") {
        wide += {c, '\0'};
    }
    writeFile(store, wide);
    EXPECT_EQ(read("Version"), "Version 3.69");
    ASSERT_TRUE(writeInstallValue("Tactico", "Version", VersionText));
    const std::string written = readFile(store);
    EXPECT_EQ(written.substr(0, 4), std::string("\xFF\xFEW\0", 4));
    EXPECT_EQ(read("Version"), VersionText);
    // Windows-1252 text cannot be carried in a UTF-16 file without knowing it is that.
    EXPECT_FALSE(writeInstallValue("Tactico", "Version", "\xE9t\xE9"));
    EXPECT_EQ(readFile(store), written);
}

// A run killed while writing the record leaves its temporary beside it for good
// unless a later run removes it; one of a run still writing stays.
TEST_F(InstallRecord, TemporariesOfKilledRunsAreSwept) {
    const pid_t dead = fork();
    if (dead == 0) {
        _exit(0);
    }
    waitpid(dead, nullptr, 0);
    const std::string killed = store + ".tmp-" + std::to_string(dead) + "-0";
    const std::string live = store + ".tmp-" + std::to_string(getpid()) + "-1";
    for (const std::string& name : {killed, live, store + ".tmp-notes"}) {
        writeFile(name, "x");
    }
    ASSERT_TRUE(openRunLog((folder / "run.log").c_str()));
    regFileSweepTemporaries();
    closeRunLog();
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(store + ".tmp-notes"));
    EXPECT_NE(
        readFile(folder / "run.log").find("Removed " + killed + ", left by an interrupted run"),
        std::string::npos);
}

} // namespace
