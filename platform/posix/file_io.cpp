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

std::FILE* openLocked(const char* path) {
    return std::fopen(path, "rbe");
}

void adviseSequential(std::FILE* file) {
    posix_fadvise(fileno(file), 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::filesystem::path toFsPath(const char* text) {
    return std::filesystem::path(text);
}

std::string fromFsPath(const std::filesystem::path& path) {
    return path.string();
}
