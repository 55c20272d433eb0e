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
#include <utility>

#include "platform/regfile/regfile_document.h"
#include "platform/run_log.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Hive = "HKEY_LOCAL_MACHINE\\";
// Far beyond any real record; stops a stray huge file from being read whole.
constexpr off_t LargestFile = 16 << 20;

// Another account that may write the record, or the folder it is in, could make
// it say anything, or swap it for a link to another file between a read and the
// write: such a record is no record.
bool othersMayWrite(const struct stat& info) {
    return (info.st_uid != 0 && info.st_uid != ::geteuid()) ||
           (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// The record's folder, held open so that the read and the write find the same
// file; -1 (logged) when it is not one only administrators write.
int openRecordFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && !othersMayWrite(info)) {
        return fd;
    }
    if (fd >= 0) {
        runLog("The installation record's folder %s may be written by other accounts; the "
               "record there is not used",
               folder.c_str());
        ::close(fd);
        errno = EPERM;
    }
    return -1;
}

// Only the record itself: never a link, a FIFO or a file with a second name, nor
// one other accounts may write.
bool readWhole(int folder, const std::string& name, std::string& bytes) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP) {
            runLog("The installation record %s is a link; it is not used", name.c_str());
        }
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= LargestFile;
    if (ok && (info.st_nlink != 1 || othersMayWrite(info))) {
        runLog("The installation record %s has another name or may be written by other "
               "accounts; it is not used",
               name.c_str());
        ok = false;
    }
    ok = ok && ::fcntl(fd, F_SETFL, O_RDONLY) == 0;
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

// The new record is in place but, until its folder is flushed, a power cut may
// bring the old one back: the caller must not build on it yet.
bool syncRecordFolder(int folder, const std::string& path) {
    if (::fsync(folder) != 0) {
        const int error = errno;
        runLog("Cannot flush the folder %s: %s", folderOf(path).c_str(), std::strerror(error));
        errno = error;
        return false;
    }
    return true;
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

// Writes bytes beside the record and renames them over it, keeping its
// permissions.
bool replaceFile(int folder, const std::string& path, const std::string& bytes,
                 const struct stat* old) {
    const std::string name = fs::path(path).filename().string();
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = name + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::openat(folder, temporary.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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
    ok = ok && ::renameat(folder, temporary.c_str(), folder, name.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlinkat(folder, temporary.c_str(), 0);
        errno = error;
        return false;
    }
    return syncRecordFolder(folder, path);
}

// The record's folder, held open for one read or write, closed with it.
class RecordFolder {
  public:
    explicit RecordFolder(const std::string& path)
        : fd(openRecordFolder(folderOf(path))), name(fs::path(path).filename().string()) {}
    ~RecordFolder() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    RecordFolder(const RecordFolder&) = delete;
    RecordFolder& operator=(const RecordFolder&) = delete;

    const int fd;
    const std::string name;
};

std::string fullKeyPath(const char* keyPath) {
    return std::string(Hive) + keyPath;
}

} // namespace

std::string regFilePath() {
    const char* path = std::getenv("TACTICO_REGISTRY");
    return path != nullptr && *path != '\0' ? path : RegFileDefaultPath;
}

bool regFileRead(const char* keyPath, const char* valueName, std::string& value) {
    if (keyPath == nullptr || valueName == nullptr) {
        return false;
    }
    // The first read comes at start-up, before any write of this run.
    static bool swept = false;
    if (!swept) {
        swept = true;
        regFileSweepTemporaries();
    }
    const RecordFolder folder(regFilePath());
    if (folder.fd < 0 ||
        ::faccessat(folder.fd, folder.name.c_str(), R_OK, AT_SYMLINK_NOFOLLOW) != 0) {
        return false;
    }
    std::string bytes;
    RegFileDocument document;
    std::string data;
    if (!readWhole(folder.fd, folder.name, bytes) || !parseRegFile(bytes, document) ||
        !findRegString(document, fullKeyPath(keyPath), valueName, data)) {
        return false;
    }
    value = std::move(data);
    return true;
}

bool regFileFlush(const char* keyPath) {
    if (keyPath == nullptr) {
        return false;
    }
    const std::string path = regFilePath();
    const RecordFolder folder(path);
    if (folder.fd < 0) {
        return false;
    }
    const int fd = ::openat(folder.fd, folder.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced && syncRecordFolder(folder.fd, path);
}

bool regFileWrite(const char* keyPath, const char* valueName, const char* text) {
    if (keyPath == nullptr || valueName == nullptr || text == nullptr) {
        return false;
    }
    const std::string path = regFilePath();
    const RecordFolder folder(path);
    if (folder.fd < 0) {
        return false;
    }
    RegFileDocument document = emptyRegFile();
    struct stat old {};
    const bool exists = ::fstatat(folder.fd, folder.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists) {
        std::string bytes;
        if (::faccessat(folder.fd, folder.name.c_str(), R_OK | W_OK, AT_SYMLINK_NOFOLLOW) != 0 ||
            !readWhole(folder.fd, folder.name, bytes) || !parseRegFile(bytes, document)) {
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
    return replaceFile(folder.fd, path, bytes, exists ? &old : nullptr);
}

void regFileSweepTemporaries() {
    const fs::path record = regFilePath();
    const std::string name = record.filename().string();
    // Only in a folder no other account writes: a name there is the program's.
    const RecordFolder folder(record.string());
    if (folder.fd < 0) {
        return;
    }
    std::error_code error;
    fs::directory_iterator entries(folderOf(record.string()), error);
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const long pid = temporaryOwner(entries->path().filename().string(), name);
        // A run that is still writing its record keeps its temporary.
        if (pid < 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 ||
            errno != ESRCH) {
            continue;
        }
        if (::unlinkat(folder.fd, entries->path().filename().c_str(), 0) == 0) {
            runLog("Removed %s, left by an interrupted run", entries->path().c_str());
        }
    }
}
