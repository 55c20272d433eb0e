#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

bool seekFile(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t tellFile(std::FILE* file) {
    return static_cast<std::int64_t>(ftello(file));
}

bool syncFile(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

namespace {

// flush is fsync (this file or folder) or syncfs (its whole file system).
bool flushOpened(const char* path, int flags, int (*flush)(int)) {
    const int descriptor = open(path, flags | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool flushed = flush(descriptor) == 0;
    const int saved = errno;
    close(descriptor);
    errno = saved;
    return flushed;
}

} // namespace

bool syncPaths(const std::vector<std::string>& paths) {
    std::set<dev_t> flushed;
    for (const std::string& path : paths) {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0) {
            return false;
        }
        if (flushed.count(info.st_dev) != 0) {
            continue;
        }
        if (!flushOpened(path.c_str(), O_RDONLY, syncfs)) {
            return false;
        }
        flushed.insert(info.st_dev);
    }
    return true;
}

bool syncFolder(const char* folder) {
    return flushOpened(folder, O_RDONLY | O_DIRECTORY, fsync);
}

bool moveReplacing(const char* source, const char* target) {
    return std::rename(source, target) == 0;
}

std::int64_t availableBytes(const char* folder) {
    struct statvfs info {};
    if (statvfs(folder, &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

std::string systemErrorText() {
    return std::strerror(errno);
}

SystemErrorKept::SystemErrorKept() : error(errno), systemError(0) {}

SystemErrorKept::~SystemErrorKept() {
    errno = error;
}

void adviseSequential(std::FILE* file) {
    posix_fadvise(fileno(file), 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::string utf8FromSystemText(std::string_view text) {
    return std::string(text);
}

void writeStandardText(std::FILE* stream, std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

std::string_view utf8FileMark() {
    return {};
}

std::filesystem::path toFsPath(const char* text) {
    return std::filesystem::path(text);
}

std::string fromFsPath(const std::filesystem::path& path) {
    return path.string();
}

std::FILE* createNewFile(const char* path) {
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int saved = errno;
        close(descriptor);
        unlink(path);
        errno = saved;
    }
    return file;
}

bool removeEntry(const char* path) {
    struct stat info {};
    if (unlink(path) == 0 || errno == ENOENT) {
        return true;
    }
    const int saved = errno;
    const bool gone = lstat(path, &info) != 0 && errno == ENOENT;
    errno = saved;
    return gone;
}

namespace {

// O_NONBLOCK keeps a FIFO from waiting for a writer; it is cleared again once the
// descriptor is known to be a regular file.
int openRegular(const char* path, int flags, std::int64_t maxBytes, mode_t mode = 0) {
    const int descriptor = open(path, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    if (descriptor < 0) {
        return -1;
    }
    struct stat info {};
    int error = 0;
    if (fstat(descriptor, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = EINVAL;
    } else if (maxBytes >= 0 && info.st_size > maxBytes) {
        error = EFBIG;
    } else if (fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = errno;
    }
    if (error != 0) {
        close(descriptor);
        errno = error;
        return -1;
    }
    return descriptor;
}

std::FILE* streamOf(int descriptor, const char* mode) {
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, mode);
    if (file == nullptr) {
        const int saved = errno;
        close(descriptor);
        errno = saved;
    }
    return file;
}

} // namespace

std::FILE* openRegularFile(const char* path, std::int64_t maxBytes) {
    return streamOf(openRegular(path, O_RDONLY, maxBytes), "rb");
}

std::FILE* appendRegularFile(const char* path) {
    return streamOf(openRegular(path, O_WRONLY | O_APPEND | O_CREAT, -1, 0666), "a");
}

bool makeFileWritable(const char* path) {
    const int descriptor = openRegular(path, O_RDONLY, -1);
    struct stat info {};
    if (descriptor < 0) {
        // A file its owner may not even read: change it by name, still never
        // through a link (fchmodat refuses to follow one).
        return errno == EACCES && lstat(path, &info) == 0 && S_ISREG(info.st_mode) &&
               fchmodat(AT_FDCWD, path, (info.st_mode & 07777) | S_IRUSR | S_IWUSR,
                        AT_SYMLINK_NOFOLLOW) == 0;
    }
    bool changed = fstat(descriptor, &info) == 0;
    if (changed && (info.st_mode & (S_IRUSR | S_IWUSR)) != (S_IRUSR | S_IWUSR)) {
        changed = fchmod(descriptor, (info.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0;
    }
    const int saved = errno;
    close(descriptor);
    errno = saved;
    return changed;
}

bool isLink(const char* path) {
    struct stat info {};
    return lstat(path, &info) == 0 && S_ISLNK(info.st_mode);
}

std::FILE* openLocked(const char* path) {
    return openRegularFile(path, -1);
}
