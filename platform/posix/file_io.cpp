#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

bool seekFile(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t tellFile(std::FILE* file) {
    return static_cast<std::int64_t>(ftello(file));
}

std::FILE* openFile(const char* path, const char* mode) {
    return std::fopen(path, mode);
}

bool syncFile(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
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

namespace {

// O_EXCL with O_NOFOLLOW: nothing that stands at name, a link included, is opened.
std::FILE* createAt(int folder, const char* name) {
    const int descriptor =
        openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int saved = errno;
        close(descriptor);
        unlinkat(folder, name, 0);
        errno = saved;
    }
    return file;
}

bool removeAt(int folder, const char* name) {
    if (unlinkat(folder, name, 0) == 0 || errno == ENOENT) {
        return true;
    }
    const int saved = errno;
    struct stat info {};
    const bool gone = fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
    errno = saved;
    return gone;
}

// O_NONBLOCK keeps a FIFO from waiting for a writer; it is cleared again once the
// descriptor is known to be a regular file.
// A file with a second name (a hard link) is refused where singleOnly says so:
// another account may have linked a file of someone else's there.
int openRegular(int folder, const char* path, int flags, std::int64_t maxBytes, mode_t mode = 0,
                bool singleOnly = false) {
    const int descriptor = openat(folder, path, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
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
    } else if (singleOnly && info.st_nlink > 1) {
        error = EMLINK;
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

std::FILE* createNewFile(const char* path) {
    return createAt(AT_FDCWD, path);
}

bool removeEntry(const char* path) {
    return removeAt(AT_FDCWD, path);
}

std::FILE* openRegularFile(const char* path, std::int64_t maxBytes) {
    return streamOf(openRegular(AT_FDCWD, path, O_RDONLY, maxBytes, 0, true), "rb");
}

std::FILE* openLocked(const char* path) {
    return openRegularFile(path, -1);
}

void Folder::release() {
    if (handle_ != -1) {
        close(static_cast<int>(handle_));
    }
}

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

int fd(const Folder& folder) {
    return static_cast<int>(folder.handle());
}

// Only the program's own account and root could have made or replaced an entry
// of a folder whose other bits allow no writing; in a sticky folder, an entry of
// their own stays theirs, unless the folder is someone else's, who may remove any
// entry in it.
bool onlyAdministratorsWrite(const struct stat& folder, const struct stat& entry) {
    const bool ownersOnly = folder.st_uid == 0 || folder.st_uid == geteuid();
    if (ownersOnly && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
        return true;
    }
    return ownersOnly && (folder.st_mode & S_ISVTX) != 0 &&
           (entry.st_uid == 0 || entry.st_uid == geteuid());
}

} // namespace

Folder openInstallFolder(const char* path, std::string& why) {
    std::deque<std::string> names;
    const auto split = [&names](const std::string& text) {
        std::deque<std::string> parts;
        std::size_t start = 0;
        for (std::size_t end; start <= text.size(); start = end + 1) {
            end = text.find('/', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            if (end > start && text.compare(start, end - start, ".") != 0) {
                parts.push_back(text.substr(start, end - start));
            }
        }
        names.insert(names.begin(), parts.begin(), parts.end());
    };
    split(path);
    int current = open(path[0] == '/' ? "/" : ".", FolderFlags);
    std::string walked = path[0] == '/' ? "" : ".";
    int linksFollowed = 0;
    const auto stop = [&](const std::string& reason) {
        const int saved = errno;
        why = reason;
        if (current >= 0) {
            close(current);
        }
        errno = saved;
        return Folder();
    };
    if (current < 0) {
        return stop(walked + ": " + std::strerror(errno));
    }
    while (!names.empty()) {
        const std::string name = names.front();
        names.pop_front();
        const std::string here = walked + "/" + name;
        const int next = openat(current, name.c_str(), FolderFlags);
        if (next >= 0) {
            close(current);
            current = next;
            walked = here;
            continue;
        }
        if (errno != ELOOP && errno != ENOTDIR) {
            return stop(here + ": " + std::strerror(errno));
        }
        struct stat entry {};
        struct stat folder {};
        if (fstatat(current, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISLNK(entry.st_mode)) {
            errno = ENOTDIR;
            return stop(here + " is not a folder");
        }
        if (fstat(current, &folder) != 0 || !onlyAdministratorsWrite(folder, entry)) {
            errno = EPERM;
            return stop(here + " is a link in a folder that other accounts may write");
        }
        char target[4096];
        const ssize_t length = readlinkat(current, name.c_str(), target, sizeof target - 1);
        if (length <= 0 || ++linksFollowed > 40) {
            errno = ELOOP;
            return stop(here + " is a link that leads nowhere");
        }
        target[length] = '\0';
        split(target);
        if (target[0] == '/') {
            const int root = open("/", FolderFlags);
            close(current);
            current = root;
            walked = "";
            if (current < 0) {
                return stop(std::string("/: ") + std::strerror(errno));
            }
        }
    }
    return Folder(current, path);
}

Folder openCurrentFolder() {
    const int descriptor = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return descriptor < 0 ? Folder() : Folder(descriptor, ".");
}

Folder openSubfolder(const Folder& parent, const char* name) {
    const int descriptor = openat(fd(parent), name, FolderFlags);
    return descriptor < 0 ? Folder() : Folder(descriptor, parent.path() + "/" + name);
}

Folder openPrivateFolder(const Folder& parent, const char* name, bool create,
                         PrivateFolderState& state) {
    state = PrivateFolderState::Failed;
    if (create && mkdirat(fd(parent), name, 0700) != 0 && errno != EEXIST) {
        return Folder();
    }
    Folder folder = openSubfolder(parent, name);
    struct stat info {};
    if (!folder.isOpen()) {
        state = errno == ENOENT ? PrivateFolderState::Missing : PrivateFolderState::Refused;
        return Folder();
    }
    if (fstat(fd(folder), &info) != 0 || info.st_uid != geteuid() || (info.st_mode & 077) != 0) {
        state = PrivateFolderState::Refused;
        errno = EPERM;
        return Folder();
    }
    state = PrivateFolderState::Private;
    return folder;
}

EntryKind entryIn(const Folder& folder, const char* name, std::uint64_t* size) {
    struct stat info {};
    if (fstatat(fd(folder), name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? EntryKind::None : EntryKind::Other;
    }
    if (size != nullptr) {
        *size = static_cast<std::uint64_t>(info.st_size);
    }
    return S_ISREG(info.st_mode)   ? EntryKind::File
           : S_ISLNK(info.st_mode) ? EntryKind::Link
                                   : EntryKind::Other;
}

std::FILE* createFileIn(const Folder& folder, const char* name) {
    return createAt(fd(folder), name);
}

std::FILE* openFileIn(const Folder& folder, const char* name, std::int64_t maxBytes) {
    return streamOf(openRegular(fd(folder), name, O_RDONLY, maxBytes), "rb");
}

bool removeIn(const Folder& folder, const char* name) {
    return removeAt(fd(folder), name);
}

bool removeFolderIn(const Folder& folder, const char* name) {
    return unlinkat(fd(folder), name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

bool moveIn(const Folder& from, const char* fromName, const Folder& to, const char* toName) {
    return renameat(fd(from), fromName, fd(to), toName) == 0;
}

bool listFolder(const Folder& folder, std::vector<std::string>& names) {
    names.clear();
    const int descriptor = dup(fd(folder));
    DIR* listing = descriptor < 0 ? nullptr : fdopendir(descriptor);
    if (listing == nullptr) {
        if (descriptor >= 0) {
            close(descriptor);
        }
        return false;
    }
    // The copy shares its position with the folder's own descriptor.
    rewinddir(listing);
    errno = 0;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    const bool whole = errno == 0;
    closedir(listing);
    return whole;
}

bool syncFolder(const Folder& folder) {
    return fsync(fd(folder)) == 0;
}

bool syncFilesIn(const Folder& folder, const std::vector<std::string>&) {
    return syncfs(fd(folder)) == 0;
}

std::int64_t availableBytes(const Folder& folder) {
    struct statvfs info {};
    if (fstatvfs(fd(folder), &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

bool lastFailureWasInUse() {
    return errno == EBUSY || errno == ETXTBSY;
}

// The game is a Windows program: nothing runs it here.
bool programRunning(const Folder&, const char*) {
    return false;
}

bool removeAtRestart(const Folder&, const char*) {
    return false;
}

std::FILE* appendFileIn(const Folder& folder, const char* name) {
    return streamOf(openRegular(fd(folder), name, O_WRONLY | O_APPEND | O_CREAT, -1, 0666, true),
                    "a");
}
