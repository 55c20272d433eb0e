#include "tests/wine/fixture_files.h"

#include <fstream>
#include <iterator>

#include "update/file_list.h"
#include "wizard/texts.h"

namespace fs = std::filesystem;

namespace fixture {
namespace {

// Entries differ in length and every byte value occurs, so a shifted offset, a
// text-mode translation or a truncated copy all show.
std::string patterned(const char* tag, int index, std::size_t length) {
    std::string text = std::string(tag) + " " + UpdateFileList[index].name + "\n";
    for (std::size_t i = 0; text.size() < length; ++i) {
        text.push_back(static_cast<char>((i * 7 + static_cast<std::size_t>(index)) & 0xFF));
    }
    return text;
}

fs::path targetOf(const fs::path& installDir, int index) {
    std::string relative = UpdateFileList[index].subfolder;
    fs::path folder = installDir;
    std::string part;
    for (char c : relative) {
        if (c == '\\') {
            if (!part.empty()) {
                folder /= part;
            }
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    return folder / UpdateFileList[index].name;
}

bool writeFile(const fs::path& path, const std::string& contents, std::string& error) {
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    out.close();
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

bool readFile(const fs::path& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

std::string sourceContents(int index) {
    return patterned("new", index, 300 + static_cast<std::size_t>(index) * 1531);
}

std::string installedContents(int index) {
    return patterned("old", index, 100 + static_cast<std::size_t>(index) * 17);
}

std::string readmeContents(int language) {
    return std::string("Readme ") + LanguageReadmeFiles[language] + "\r\n\xe9t\xe9\r\n";
}

bool writeFiles(const fs::path& updateDir, const fs::path& installDir, std::string& error) {
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (!isReadmeEntry(i) &&
            !writeFile(updateDir / UpdateFileList[i].name, sourceContents(i), error)) {
            return false;
        }
        if (!writeFile(targetOf(installDir, i), installedContents(i), error)) {
            return false;
        }
    }
    for (int language = 0; language < LanguageCount; ++language) {
        if (!writeFile(updateDir / LanguageReadmeFiles[language], readmeContents(language),
                       error)) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> checkUpdated(const fs::path& updateDir, const fs::path& installDir,
                                      int language) {
    std::vector<std::string> problems;
    for (int i = 0; i < UpdateFileCount; ++i) {
        const fs::path target = targetOf(installDir, i);
        const std::string expected =
            isReadmeEntry(i) ? readmeContents(language) : sourceContents(i);
        std::string actual;
        if (!readFile(target, actual)) {
            problems.push_back(target.string() + ": missing");
        } else if (actual != expected) {
            problems.push_back(target.string() + ": not the new contents");
        }
    }
    if (fs::exists(updateDir / LanguageReadmeFiles[language])) {
        problems.push_back(std::string(LanguageReadmeFiles[language]) +
                           " was not moved into the installation");
    }
    return problems;
}

} // namespace fixture
