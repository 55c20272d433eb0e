#include "tools/demo/result_check.h"

#include <fstream>
#include <iterator>
#include <set>

#include "tools/demo/sample_content.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "wizard/texts.h"

namespace fs = std::filesystem;

namespace demo {

namespace {

bool readWhole(const fs::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

void checkContents(const fs::path& path, const std::string& expected, const char* what,
                   CheckResult& result) {
    std::string actual;
    if (!readWhole(path, actual)) {
        result.problems.push_back(path.string() + " is missing");
        return;
    }
    if (actual != expected) {
        std::size_t at = 0;
        while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
            ++at;
        result.problems.push_back(path.string() + " is not " + what + " (" +
                                  std::to_string(actual.size()) + " bytes, expected " +
                                  std::to_string(expected.size()) + ", first difference at byte " +
                                  std::to_string(at) + ")");
        return;
    }
    ++result.filesReplaced;
}

void checkRecord(const DemoFolders& folders, CheckResult& result) {
    char value[256] = {};
    if (!readInstallValue("Tactico", "Version", value, sizeof value))
        result.problems.push_back("\"Version\" cannot be read from " + folders.registry.string());
    else if (std::string(value) != UpdaterVersionText)
        result.problems.push_back("\"Version\" is \"" + std::string(value) + "\", expected \"" +
                                  UpdaterVersionText + "\"");
    if (!readInstallValue("Tactico", "Location", value, sizeof value) ||
        fs::path(value) != folders.installation)
        result.problems.push_back("\"Location\" no longer names " + folders.installation.string());
}

} // namespace

CheckResult checkUpdatedInstallation(const DemoFolders& folders, int language,
                                     QuickStartOutcome quickStart) {
    CheckResult result;
    std::set<fs::path> expectedFiles;
    for (int i = 0; i < UpdateFileCount; ++i) {
        fs::path target = folders.installation / relativeTarget(i);
        expectedFiles.insert(target);
        if (isReadmeEntry(i))
            checkContents(target, readmeContents(language), LanguageReadmeFiles[language], result);
        else
            checkContents(target, newContents(i), "the new version", result);
    }

    // The chosen readme is moved, not copied; the others stay for another language.
    for (int other = 0; other < LanguageCount; ++other) {
        bool present = fs::exists(folders.update / LanguageReadmeFiles[other]);
        if (other == language && present)
            result.problems.push_back(std::string(LanguageReadmeFiles[other]) +
                                      " is still in the update folder");
        if (other != language && !present)
            result.problems.push_back(std::string(LanguageReadmeFiles[other]) +
                                      " went missing from the update folder");
    }

    fs::path notes = folders.installation / QuickStartNotes.relativePath;
    expectedFiles.insert(notes);
    std::string text;
    if (!readWhole(notes, text) || text != QuickStartNotes.contents)
        result.problems.push_back(notes.string() + " was touched by the update");
    for (const ExtraFile& file : QuickStartFiles) {
        fs::path path = folders.installation / file.relativePath;
        bool present = fs::exists(path);
        if (present)
            expectedFiles.insert(path);
        if (quickStart == QuickStartOutcome::Deleted && present)
            result.problems.push_back(path.string() + " was not deleted");
        if (quickStart == QuickStartOutcome::Kept && !present)
            result.problems.push_back(path.string() + " was deleted");
        if (present && (!readWhole(path, text) || text != file.contents))
            result.problems.push_back(path.string() + " was changed");
    }

    // Anything else is debris: a temporary file the update did not clean up.
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folders.installation, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file() && !expectedFiles.count(it->path()))
            result.problems.push_back("unexpected file " + it->path().string());
    }

    checkRecord(folders, result);
    return result;
}

} // namespace demo
