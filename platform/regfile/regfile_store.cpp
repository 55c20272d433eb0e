#include "platform/regfile/regfile_store.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/regfile/regfile_document.h"
#include "update/run_log.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Hive = "HKEY_LOCAL_MACHINE\\";
// Far beyond any real record; stops a stray huge file from being read whole.
constexpr off_t LargestFile = 16 << 20;

bool readWhole(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= LargestFile;
    bytes.clear();
    char chunk[65536];
    while (ok) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
        ok = bytes.size() <= static_cast<std::size_t>(LargestFile);
    }
    ::close(fd);
    return ok;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const std::string folder = fs::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

bool syncFolderOf(const std::string& path) {
    const std::string folder = folderOf(path);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (!ok) {
        const int error = errno;
        runLog("Cannot flush the folder %s: %s", folder.c_str(), std::strerror(error));
        errno = error;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return ok;
}

// "<record>.tmp-<pid>-<n>": the name replaceFile writes beside the record. Gives
// the pid, or -1 for any other name.
long temporaryOwner(const std::string& name, const std::string& record) {
    const std::string prefix = record + ".tmp-";
    if (name.compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    const char* digits = name.c_str() + prefix.size();
    char* end = nullptr;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || pid <= 0) {
        return -1;
    }
    const char* attempt = end + 1;
    std::strtol(attempt, &end, 10);
    return end != attempt && *end == '\0' ? pid : -1;
}

// Writes bytes beside path and renames them over it, keeping path's permissions.
bool replaceFile(const std::string& path, const std::string& bytes, const struct stat* old) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    bool ok = old == nullptr || ::fchmod(fd, old->st_mode & 07777) == 0;
    ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    // The new record is in place but, until its folder is flushed, a power cut
    // may bring the old one back: the caller must not build on it yet.
    return syncFolderOf(path);
}

// The file the record lives in; a link is followed so that it stays a link.
std::string storePath() {
    std::string path = regFilePath();
    std::error_code error;
    if (fs::is_symlink(path, error)) {
        const fs::path target = fs::weakly_canonical(path, error);
        if (!error) {
            path = target.string();
        }
    }
    return path;
}

std::string fullKeyPath(const char* keyPath) {
    return std::string(Hive) + keyPath;
}

} // namespace

std::string regFilePath() {
    const char* path = std::getenv("TACTICO_REGISTRY");
    return path != nullptr && *path != '\0' ? path : RegFileDefaultPath;
}

bool regFileRead(const char* keyPath, const char* valueName, char* buffer,
                 std::uint32_t bufferSize) {
    if (keyPath == nullptr || valueName == nullptr || buffer == nullptr) {
        return false;
    }
    // The first read comes at start-up, before any write of this run.
    static bool swept = false;
    if (!swept) {
        swept = true;
        regFileSweepTemporaries();
    }
    const std::string path = storePath();
    if (::access(path.c_str(), R_OK) != 0) {
        return false;
    }
    std::string bytes;
    RegFileDocument document;
    std::string data;
    if (!readWhole(path, bytes) || !parseRegFile(bytes, document) ||
        !findRegString(document, fullKeyPath(keyPath), valueName, data)) {
        return false;
    }
    if (data.size() >= bufferSize) {
        return false;
    }
    std::memcpy(buffer, data.c_str(), data.size() + 1);
    return true;
}

bool regFileWrite(const char* keyPath, const char* valueName, const char* text) {
    if (keyPath == nullptr || valueName == nullptr || text == nullptr) {
        return false;
    }
    const std::string path = storePath();
    RegFileDocument document = emptyRegFile();
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists) {
        std::string bytes;
        if (::access(path.c_str(), R_OK | W_OK) != 0 || !readWhole(path, bytes) ||
            !parseRegFile(bytes, document)) {
            return false;
        }
    } else if (errno != ENOENT) {
        return false;
    }
    std::string bytes;
    if (!setRegString(document, fullKeyPath(keyPath), valueName, text) ||
        !serializeRegFile(document, bytes)) {
        return false;
    }
    return replaceFile(path, bytes, exists ? &old : nullptr);
}

void regFileSweepTemporaries() {
    const fs::path record = storePath();
    const std::string name = record.filename().string();
    std::error_code error;
    fs::directory_iterator entries(folderOf(record.string()), error);
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const long pid = temporaryOwner(entries->path().filename().string(), name);
        // A run that is still writing its record keeps its temporary.
        if (pid < 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 ||
            errno != ESRCH) {
            continue;
        }
        if (::unlink(entries->path().c_str()) == 0) {
            runLog("Removed %s, left by an interrupted run", entries->path().c_str());
        }
    }
}
