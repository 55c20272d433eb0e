#include "tools/demo/sample_setup.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "render/font.h"
#include "tools/demo/sample_content.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "update/package.h"
#include "wizard/texts.h"

namespace fs = std::filesystem;

namespace demo {

namespace {

bool writeFile(const fs::path& path, const std::string& contents, bool readOnly,
               std::string& error) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    if (readOnly)
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                        fs::perm_options::replace, ec);
    return true;
}

} // namespace

// Subfolders in the file list are written with backslashes: "\data\".
fs::path relativeTarget(int index) {
    const UpdateFileEntry& entry = UpdateFileList[index];
    fs::path out;
    std::string part;
    for (const char* c = entry.subfolder; *c; ++c) {
        if (*c == '\\') {
            if (!part.empty())
                out /= part;
            part.clear();
        } else {
            part += *c;
        }
    }
    return out / entry.name;
}

namespace {

bool removeEarlierRun(const DemoFolders& folders, std::string& error) {
    std::error_code ec;
    for (const fs::path& path : {folders.installation, folders.update, folders.registry,
                                 folders.screens, folders.root / "base"}) {
        fs::remove_all(path, ec);
        if (ec) {
            error = "cannot remove " + path.string() + ": " + ec.message();
            return false;
        }
    }
    fs::create_directories(folders.root, ec);
    if (ec) {
        error = "cannot create " + folders.root.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

DemoFolders foldersUnder(const fs::path& root) {
    fs::path absolute = fs::absolute(root).lexically_normal();
    return {absolute, absolute / "installation", absolute / "update", absolute / "registry.reg",
            absolute / "screens"};
}

bool writeInstallation(const DemoFolders& folders, std::string& error) {
    for (int i = 0; i < UpdateFileCount; ++i) {
        // Some targets read-only, the game's executable among them: the update has to
        // replace them all the same.
        bool readOnly = i == 0 || i % 5 == 2;
        if (!writeFile(folders.installation / relativeTarget(i), oldContents(i), readOnly, error))
            return false;
    }
    for (const ExtraFile& file : QuickStartFiles)
        if (!writeFile(folders.installation / file.relativePath, file.contents, file.readOnly,
                       error))
            return false;
    return writeFile(folders.installation / QuickStartNotes.relativePath, QuickStartNotes.contents,
                     QuickStartNotes.readOnly, error);
}

bool writeUpdateFolder(const DemoFolders& folders, const fs::path& binDir, std::string& error) {
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i))
            continue;
        if (!writeFile(folders.update / UpdateFileList[i].name, newContents(i), false, error))
            return false;
    }
    for (int language = 0; language < LanguageCount; ++language)
        if (!writeFile(folders.update / LanguageReadmeFiles[language], readmeContents(language),
                       false, error))
            return false;

    std::error_code ec;
    for (const Name& name : FontNames) {
        const char* font = name.c_str();
        fs::copy_file(binDir / font, folders.update / font, fs::copy_options::overwrite_existing,
                      ec);
        if (ec) {
            error = "cannot copy font " + (binDir / font).string() + ": " + ec.message();
            return false;
        }
    }
    fs::copy_file(binDir / ProgramName, folders.update / ProgramName,
                  fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = "cannot copy " + (binDir / ProgramName).string() + ": " + ec.message();
        return false;
    }
    return true;
}

namespace {

// Runs the program's pack mode headless in folder, with extra arguments.
bool runPacker(const fs::path& folder, const fs::path& program,
               const std::vector<std::string>& extra, std::string& error) {
    int output[2];
    if (pipe(output) != 0) {
        error = "cannot make a pipe";
        return false;
    }
    pid_t child = fork();
    if (child < 0) {
        error = "cannot start the packer";
        return false;
    }
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        dup2(output[1], STDERR_FILENO);
        close(output[0]);
        close(output[1]);
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        setenv("TACTICO_PLATFORM", "headless", 1);
        std::vector<std::string> words{ProgramName, "-pack"};
        words.insert(words.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(output[1]);

    // Pack mode ends by itself; the bound only guards against a program that waits
    // for a user who is not there.
    std::string said;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int status = 0;
    bool exited = false;
    while (!exited) {
        pollfd pfd{output[0], POLLIN, 0};
        if (poll(&pfd, 1, 100) > 0) {
            char chunk[512];
            ssize_t got = read(output[0], chunk, sizeof chunk);
            if (got > 0)
                said.append(chunk, static_cast<std::size_t>(got));
        }
        exited = waitpid(child, &status, WNOHANG) == child;
        if (!exited && std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            close(output[0]);
            error = "the packer did not end within 120 seconds";
            return false;
        }
    }
    char chunk[512];
    ssize_t got;
    while ((got = read(output[0], chunk, sizeof chunk)) > 0)
        said.append(chunk, static_cast<std::size_t>(got));
    close(output[0]);

    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        said.find("Packed files successfully !") == std::string::npos) {
        error = "packing failed: " + (said.empty() ? std::string("no output") : said);
        return false;
    }
    return true;
}

} // namespace

bool packWithProgram(const DemoFolders& folders, std::string& error) {
    if (!runPacker(folders.update, folders.update / ProgramName, {}, error))
        return false;

    std::uintmax_t expected = PackageTableBytes;
    for (int i = 0; i < UpdateFileCount; ++i)
        if (!isReadmeEntry(i))
            expected += newContents(i).size();
    std::error_code ec;
    std::uintmax_t size = fs::file_size(folders.update / PackageFileName, ec);
    if (ec || size != expected) {
        error = "update.dat has " + std::to_string(ec ? 0 : size) + " bytes, expected " +
                std::to_string(expected);
        return false;
    }
    return true;
}

bool writeBaseFolder(const DemoFolders& folders, std::string& error) {
    for (int i = 0; i < UpdateFileCount; ++i)
        if (!isReadmeEntry(i) && !writeFile(folders.root / "base" / UpdateFileList[i].name,
                                            oldContents(i), false, error))
            return false;
    return true;
}

bool packPatchWithProgram(const DemoFolders& folders, bool keepFull, std::string& error) {
    const fs::path base = folders.root / "base";
    std::error_code ec;
    if (!writeBaseFolder(folders, error) ||
        !runPacker(base, folders.update / ProgramName, {}, error) ||
        !runPacker(folders.update, folders.update / ProgramName,
                   {"/base=" + (base / PackageFileName).string(), "/baseversion=3.69"}, error))
        return false;
    if (!keepFull && !fs::remove(folders.update / PackageFileName, ec)) {
        error = "cannot remove update.dat";
        return false;
    }
    return true;
}

bool writeInstallRecord(const DemoFolders& folders, std::string& error) {
    if (!writeInstallValue("Tactico", "Version", InstalledVersionText) ||
        !writeInstallValue("Tactico", "Location", folders.installation.c_str())) {
        error = "cannot write the installation record to " + folders.registry.string();
        return false;
    }
    return true;
}

bool prepareDemo(const DemoFolders& folders, const fs::path& binDir, std::string& error) {
    return removeEarlierRun(folders, error) && writeInstallation(folders, error) &&
           writeUpdateFolder(folders, binDir, error) && packWithProgram(folders, error) &&
           writeInstallRecord(folders, error);
}

} // namespace demo
