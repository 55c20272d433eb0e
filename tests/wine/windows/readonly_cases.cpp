// The update's handling of read-only files, where the system enforces the
// attribute: a read-only file can be neither removed nor replaced until the
// attribute is cleared. On Linux as root both work anyway, so these cases run
// here, as a Windows program (under Wine in CI).
//   tactico-readonly-cases <empty folder>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "platform/platform.h"
#include "update/commit.h"
#include "update/file_ops.h"
#include "update/quick_start.h"

namespace {

int checks = 0;
int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
    ++checks;
    failures += ok ? 0 : 1;
}

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void writeReadOnly(const std::string& path, const std::string& contents) {
    writeFile(path, contents);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

struct Enforcement {
    bool removal;
    bool replacement;
};

// What this system refuses to do to a read-only file. Windows refuses both; Wine
// refuses removal but lets a rename replace the file.
Enforcement enforcement(const std::string& folder) {
    const std::string locked = folder + "\\locked.bin", other = folder + "\\other.bin";
    writeReadOnly(locked, "locked");
    writeFile(other, "other");
    Enforcement result{};
    result.removal = isReadOnly(locked) && !DeleteFileA(locked.c_str());
    result.replacement = isReadOnly(locked) &&
                         !MoveFileExA(other.c_str(), locked.c_str(), MOVEFILE_REPLACE_EXISTING);
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(locked.c_str());
    DeleteFileA(other.c_str());
    return result;
}

void quickStartGamesGoEvenWhenReadOnly(const std::string& install) {
    const std::string qstart = install + "\\qstart";
    CreateDirectoryA(qstart.c_str(), nullptr);
    writeReadOnly(qstart + "\\locked.qst", "old game");
    writeFile(qstart + "\\plain.qst", "old game");
    check(removeQuickStartFiles(install.c_str(), true), "quick-start deletion reports success");
    check(!exists(qstart + "\\locked.qst"), "a read-only quick-start game is deleted");
    check(!exists(qstart + "\\plain.qst"), "a writable quick-start game is deleted");
}

void readOnlyTargetIsReplaced(const std::string& install) {
    const std::string target = install + "\\tactico.exe", staged = install + "\\tactico.exe.new";
    writeReadOnly(target, "old program");
    writeFile(staged, "new program");
    check(replaceWith(staged.c_str(), target.c_str()), "a read-only target is replaced");
    check(readFile(target) == "new program", "the target holds the new contents");
    check(!exists(staged), "the replacement's source is gone");

    // A replacement that fails for another reason leaves the target read-only.
    writeReadOnly(target, "old program");
    const std::string missing = install + "\\missing.new";
    check(!replaceWith(missing.c_str(), target.c_str()), "a missing source fails");
    check(readFile(target) == "old program" && isReadOnly(target),
          "after that failure the target is as it was, read-only");
}

// The commit writes the new version into the installation record; a record in
// memory keeps the system's registry out of it.
std::map<std::string, std::string> record;

bool readRecord(const char* key, const char* value, char* buffer, std::uint32_t size) {
    const auto found = record.find(std::string(key) + "\\" + value);
    if (found == record.end() || found->second.size() >= size) {
        return false;
    }
    std::strcpy(buffer, found->second.c_str());
    return true;
}

bool writeRecord(const char* key, const char* value, const char* text) {
    record[std::string(key) + "\\" + value] = text;
    return true;
}

// The update moves the old file aside, puts the new one in its place and then
// removes the old one, which is still read-only.
void committedReadOnlyTargetLeavesNothingBehind(const std::string& folder) {
    const PlatformOps ops{.name = "record in memory",
                          .readRegistryString = readRecord,
                          .writeRegistryString = writeRecord};
    selectPlatform(&ops);

    const std::string install = folder + "\\game";
    CreateDirectoryA(install.c_str(), nullptr);
    const std::string target = entryTargetPath(install.c_str(), 0);
    writeReadOnly(target, "old program");
    writeFile(stagedPathFor(target), "new program");
    StagedUpdate update;
    update.installPath = install.c_str();
    update.staged[0] = true;
    update.sizes[0] = std::strlen("new program");
    update.versionText = "Version 3.84";
    check(commitUpdate(update) == CommitOutcome::Committed,
          "the update of a read-only file commits");
    check(readFile(target) == "new program", "the read-only file is replaced");

    int files = 0;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((install + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ++files;
        }
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    check(files == 1, "its old copy is not left beside it");
    selectPlatform(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tactico-readonly-cases <empty folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const Enforcement enforced = enforcement(folder);
    if (!enforced.removal) {
        std::printf("FAIL: this system removes read-only files anyway; the cases would "
                    "prove nothing here\n");
        return 1;
    }
    if (!enforced.replacement) {
        std::printf("note: a rename replaces a read-only file here; only removals show "
                    "whether the attribute is cleared\n");
    }
    quickStartGamesGoEvenWhenReadOnly(folder);
    readOnlyTargetIsReplaced(folder);
    committedReadOnlyTargetLeavesNothingBehind(folder);
    std::printf("%d passed, %d failed\n", checks - failures, failures);
    return failures == 0 ? 0 : 1;
}
