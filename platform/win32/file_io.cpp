#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/win32/win32_platform.h"

bool seekFile(std::FILE* file, std::int64_t offset, int origin) {
    return _fseeki64(file, offset, origin) == 0;
}

std::int64_t tellFile(std::FILE* file) {
    return _ftelli64(file);
}

bool syncFile(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

namespace {

bool syncPath(const char* path) {
    // Flushing needs a handle with write access; the data is not changed.
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool flushed = FlushFileBuffers(file) != 0;
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return flushed;
}

} // namespace

bool syncPaths(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (!syncPath(path.c_str())) {
            return false;
        }
    }
    return true;
}

// Renames made with MOVEFILE_WRITE_THROUGH are on the disk when they return.
bool syncFolder(const char*) {
    return true;
}

bool moveReplacing(const char* source, const char* target) {
    SetLastError(ERROR_SUCCESS);
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::int64_t availableBytes(const char* folder) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(folder, &available, nullptr, nullptr)) {
        return -1;
    }
    return static_cast<std::int64_t>(available.QuadPart);
}

namespace {

std::string utf8FromWide(const wchar_t* wide, int length) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), bytes, nullptr, nullptr);
    return text;
}

std::wstring wideFrom(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

} // namespace

namespace win32 {

std::wstring wideFromUtf8(std::string_view text) {
    return wideFrom(CP_UTF8, text);
}

std::wstring wideFromAnsi(std::string_view text) {
    return wideFrom(CP_ACP, text);
}

} // namespace win32

std::string systemErrorText() {
    // The C library's streams report through errno, the system's calls through
    // GetLastError; the latter names sharing violations and access denials.
    const DWORD error = GetLastError();
    if (error == ERROR_SUCCESS) {
        return utf8FromSystemText(std::strerror(errno));
    }
    wchar_t text[512] = L"";
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, text, 512, nullptr);
    std::string message = utf8FromWide(text, static_cast<int>(length));
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "system error " + std::to_string(error) : message;
}

std::string utf8FromSystemText(std::string_view text) {
    const std::wstring wide = win32::wideFromAnsi(text);
    return utf8FromWide(wide.data(), static_cast<int>(wide.size()));
}

void writeStandardText(std::FILE* stream, std::string_view utf8) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        std::fwrite(utf8.data(), 1, utf8.size(), stream);
        std::fflush(stream);
        return;
    }
    // A console takes UTF-16 whatever its code page; bytes would be read in that
    // code page, and the Spanish n-tilde would show as a plus-minus sign in 850.
    std::fflush(stream);
    const std::wstring wide = win32::wideFromUtf8(utf8);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

std::string_view utf8FileMark() {
    // Notepad before Windows 10 and PowerShell 5 read a file without it in the
    // ANSI code page.
    return "\xEF\xBB\xBF";
}

SystemErrorKept::SystemErrorKept() : error(errno), systemError(GetLastError()) {}

SystemErrorKept::~SystemErrorKept() {
    errno = error;
    SetLastError(systemError);
}

void adviseSequential(std::FILE*) {}

std::filesystem::path toFsPath(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return std::filesystem::path(wide);
}

std::string fromFsPath(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(length - 1));
    return text;
}

namespace {

// A C stream over a handle; the handle is closed when the stream cannot be had.
std::FILE* streamOf(HANDLE handle, int flags, const char* mode) {
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, mode);
    if (file == nullptr) {
        _close(descriptor);
    }
    return file;
}

// FILE_FLAG_OPEN_REPARSE_POINT opens a link or junction itself, which is then
// refused here, instead of what it points to.
HANDLE openRegular(const char* path, DWORD access, DWORD disposition, std::int64_t maxBytes,
                   DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) {
    HANDLE handle = CreateFileA(path, access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return handle;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    DWORD error = ERROR_SUCCESS;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) {
        error = ERROR_INVALID_FUNCTION;
    } else if ((info.dwFileAttributes &
                (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        error = ERROR_CANT_ACCESS_FILE;
    } else if (maxBytes >= 0 && (static_cast<std::int64_t>(info.nFileSizeHigh) << 32 |
                                 info.nFileSizeLow) > maxBytes) {
        error = ERROR_FILE_TOO_LARGE;
    }
    if (error != ERROR_SUCCESS) {
        CloseHandle(handle);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

} // namespace

std::FILE* createNewFile(const char* path) {
    // CREATE_NEW fails on any name that exists, a link or junction included.
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return streamOf(handle, _O_WRONLY | _O_BINARY, "wb");
}

bool removeEntry(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    }
    // A link to a folder, or a junction, is removed as a folder; the folder it
    // points to is not touched.
    const bool linkedFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                              (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (linkedFolder ? RemoveDirectoryA(path) : DeleteFileA(path)) {
        return true;
    }
    const DWORD error = GetLastError();
    const bool gone = GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES &&
                      GetLastError() == ERROR_FILE_NOT_FOUND;
    SetLastError(error);
    return gone;
}

std::FILE* openRegularFile(const char* path, std::int64_t maxBytes) {
    return streamOf(openRegular(path, GENERIC_READ, OPEN_EXISTING, maxBytes), _O_RDONLY | _O_BINARY,
                    "rb");
}

std::FILE* appendRegularFile(const char* path) {
    HANDLE handle = openRegular(path, FILE_APPEND_DATA, OPEN_ALWAYS, -1);
    return streamOf(handle, _O_WRONLY | _O_APPEND | _O_TEXT, "a");
}

bool makeFileWritable(const char* path) {
    HANDLE handle =
        openRegular(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, OPEN_EXISTING, -1);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    FILE_BASIC_INFO info{};
    bool changed = GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) != 0;
    if (changed && (info.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        info.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (info.FileAttributes == 0) {
            info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        changed = SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info) != 0;
    }
    const DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
    return changed;
}

bool isLink(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::FILE* openLocked(const char* path) {
    // Others may read it meanwhile; nobody may write, rename or delete it.
    return streamOf(openRegular(path, GENERIC_READ, OPEN_EXISTING, -1, FILE_SHARE_READ),
                    _O_RDONLY | _O_BINARY, "rb");
}
