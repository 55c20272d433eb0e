#include "platform/file_access.h"
#include "platform/file_io.h"
#include "platform/path_io.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
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


void adviseSequential(std::FILE* file) {
    posix_fadvise(fileno(file), 0, 0, POSIX_FADV_SEQUENTIAL);
}

void File::adviseSequential() {
    if (stream_ != nullptr) {
        ::adviseSequential(stream_);
    }
}

Status Status::lastError() {
    return Status(static_cast<unsigned long>(errno != 0 ? errno : EIO));
}

bool Status::inUse() const {
    return code_ == EBUSY || code_ == ETXTBSY;
}

std::string Status::text() const {
    return ok() ? std::string() : std::strerror(static_cast<int>(code_));
}

std::optional<NativeString> nativeNameOf(std::string_view text) {
    return NativeString(text);
}

std::string systemErrorText() {
    return std::strerror(errno);
}

SystemErrorKept::SystemErrorKept() : error(errno), systemError(0) {}

SystemErrorKept::~SystemErrorKept() {
    errno = error;
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

void Folder::release() {
    if (handle_ != -1) {
        close(static_cast<int>(handle_));
    }
}

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

struct FolderAccess {
    static Folder of(int descriptor, std::string path) {
        return descriptor < 0 ? Folder() : Folder(descriptor, std::move(path));
    }
    static PrivateFolder privateOf(Folder&& folder) { return PrivateFolder(std::move(folder)); }
    static int fd(const Folder& folder) { return static_cast<int>(folder.handle_); }
};

namespace {

int fd(const Folder& folder) {
    return FolderAccess::fd(folder);
}

std::string shownIn(const Folder& folder, const Name& name) {
    return folder.pathOf(name);
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
    return FolderAccess::of(current, path);
}

Folder openCurrentFolder() {
    return FolderAccess::of(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC), ".");
}

Folder openSubfolder(const Folder& parent, const Name& name) {
    return FolderAccess::of(openat(fd(parent), name.c_str(), FolderFlags), shownIn(parent, name));
}

PrivateFolder openPrivateFolder(const Folder& parent, const Name& name, bool create,
                                PrivateFolderState& state) {
    state = PrivateFolderState::Failed;
    if (create && mkdirat(fd(parent), name.c_str(), 0700) != 0 && errno != EEXIST) {
        return PrivateFolder();
    }
    Folder folder = openSubfolder(parent, name);
    struct stat info {};
    if (!folder.isOpen()) {
        state = errno == ENOENT ? PrivateFolderState::Missing : PrivateFolderState::Refused;
        return PrivateFolder();
    }
    if (fstat(fd(folder), &info) != 0 || info.st_uid != geteuid() || (info.st_mode & 077) != 0) {
        state = PrivateFolderState::Refused;
        errno = EPERM;
        return PrivateFolder();
    }
    state = PrivateFolderState::Private;
    return FolderAccess::privateOf(std::move(folder));
}

EntryKind entryIn(const Folder& folder, const Name& name, std::uint64_t* size) {
    struct stat info {};
    if (fstatat(fd(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? EntryKind::None : EntryKind::Other;
    }
    if (size != nullptr) {
        *size = static_cast<std::uint64_t>(info.st_size);
    }
    return S_ISREG(info.st_mode)   ? EntryKind::File
           : S_ISLNK(info.st_mode) ? EntryKind::Link
                                   : EntryKind::Other;
}

File createFileIn(const PrivateFolder& folder, const Name& name) {
    return FileAccess::of(createAt(fd(folder), name.c_str()));
}

File openFileIn(const Folder& folder, const Name& name, std::int64_t maxBytes, Source source) {
    return FileAccess::of(streamOf(
        openRegular(fd(folder), name.c_str(), O_RDONLY, maxBytes, 0, source == Source::Untrusted),
        "rb"));
}

Status removeIn(const Folder& folder, const Name& name) {
    return removeAt(fd(folder), name.c_str()) ? Status() : Status::lastError();
}

Status removeFolderIn(const Folder& folder, const Name& name) {
    return unlinkat(fd(folder), name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT
               ? Status()
               : Status::lastError();
}

namespace {

Status renameIn(const Folder& from, const Name& fromName, const Folder& to, const Name& toName) {
    return renameat(fd(from), fromName.c_str(), fd(to), toName.c_str()) == 0 ? Status()
                                                                             : Status::lastError();
}

} // namespace

Status moveIn(const PrivateFolder& from, const Name& fromName, const Folder& to,
              const Name& toName) {
    return renameIn(from, fromName, to, toName);
}

Status moveIn(const Folder& from, const Name& fromName, const PrivateFolder& to,
              const Name& toName) {
    return renameIn(from, fromName, to, toName);
}

Status moveIn(const PrivateFolder& from, const Name& fromName, const PrivateFolder& to,
              const Name& toName) {
    return renameIn(from, fromName, to, toName);
}

bool listFolder(const Folder& folder, std::vector<Name>& names) {
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
    bool whole = true;
    while (const dirent* entry = readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            std::optional<Name> listed = Name::of(name);
            whole = whole && listed.has_value();
            if (listed) {
                names.push_back(std::move(*listed));
            }
        }
    }
    whole = whole && errno == 0;
    closedir(listing);
    return whole;
}

Status syncFolder(const Folder& folder) {
    return fsync(fd(folder)) == 0 ? Status() : Status::lastError();
}

Status syncFilesIn(const Folder& folder, const std::vector<Name>&) {
    return syncfs(fd(folder)) == 0 ? Status() : Status::lastError();
}

bool isFolderAt(const Folder& folder, const Folder& parent, const Name& name) {
    struct stat held {};
    struct stat named {};
    return fstat(fd(folder), &held) == 0 &&
           fstatat(fd(parent), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

std::string currentPathOf(const Folder& folder) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd(folder));
    char target[4096];
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    return length > 0 && static_cast<std::size_t>(length) < sizeof target
               ? std::string(target, static_cast<std::size_t>(length))
               : std::string();
}

std::int64_t availableBytes(const Folder& folder) {
    struct statvfs info {};
    if (fstatvfs(fd(folder), &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

// The game is a Windows program: nothing runs it here.
bool programRunning(const Folder&, const Name&) {
    return false;
}

bool removeAtRestart(const Folder&, const Name&) {
    return false;
}

File appendFileIn(const Folder& folder, const Name& name) {
    return FileAccess::of(streamOf(
        openRegular(fd(folder), name.c_str(), O_WRONLY | O_APPEND | O_CREAT, -1, 0666, true), "a"));
}
