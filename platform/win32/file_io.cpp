#include "platform/file_access.h"
#include "platform/file_io.h"
#include "platform/path_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h:
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/folder_trust.h"
#include "platform/win32/win32_platform.h"

bool seekFile(std::FILE* file, std::int64_t offset, int origin) {
    return _fseeki64(file, offset, origin) == 0;
}

std::int64_t tellFile(std::FILE* file) {
    return _ftelli64(file);
}

std::FILE* openFile(const char* path, const char* mode) {
    const std::optional<std::wstring> wide = win32::systemPath(path);
    return wide ? _wfopen(wide->c_str(), win32::wideFromUtf8(mode).c_str()) : nullptr;
}

bool syncFile(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

void adviseSequential(std::FILE*) {}

void File::adviseSequential() {}

namespace {

// The C library's streams fail with errno alone; such a failure is kept apart
// from the system's error numbers by a bit that none of them has.
constexpr unsigned long CLibraryError = 0x20000000;

} // namespace

Status Status::lastError() {
    const DWORD error = GetLastError();
    if (error != ERROR_SUCCESS) {
        return Status(error);
    }
    return Status(CLibraryError | static_cast<unsigned long>(errno != 0 ? errno : EIO));
}

bool Status::inUse() const {
    return code_ == ERROR_SHARING_VIOLATION || code_ == ERROR_LOCK_VIOLATION ||
           code_ == ERROR_ACCESS_DENIED || code_ == ERROR_USER_MAPPED_FILE;
}

std::string Status::text() const {
    if (ok()) {
        return {};
    }
    const SystemErrorKept kept;
    if ((code_ & CLibraryError) != 0) {
        SetLastError(ERROR_SUCCESS);
        errno = static_cast<int>(code_ & ~CLibraryError);
    } else {
        SetLastError(static_cast<DWORD>(code_));
    }
    return systemErrorText();
}

namespace {

// Malformed UTF-8 fails the whole text rather than becoming replacement
// characters, which would name another file.
std::optional<std::wstring> wideFrom(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return wide;
}

// The longest path the system's calls take, "\\?\UNC\" included.
constexpr std::size_t LongestPath = 32767;

} // namespace

namespace win32 {

std::wstring wideFromUtf8(std::string_view text) {
    return wideFrom(CP_UTF8, text).value_or(std::wstring());
}

std::optional<std::string> utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr,
                                          0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, text.data(), bytes,
                        nullptr, nullptr);
    return text;
}

std::optional<std::wstring> systemPath(std::string_view path) {
    std::optional<std::wstring> wide = wideFrom(CP_UTF8, path);
    if (!wide) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return std::nullopt;
    }
    std::replace(wide->begin(), wide->end(), L'/', L'\\');
    if (wide->empty() || wide->find(L'\0') != std::wstring::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    if (wide->starts_with(L"\\\\?\\") || wide->starts_with(L"\\\\.\\")) {
        return wide;
    }
    // "\\?\" hands the name to the file system as it is, so it must already be
    // what the system would make of it: full, without "." and "..".
    std::wstring full(std::min(wide->size() + MAX_PATH, LongestPath), L'\0');
    DWORD length =
        GetFullPathNameW(wide->c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size() && length <= LongestPath) {
        full.resize(length);
        length = GetFullPathNameW(wide->c_str(), length, full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) {
        SetLastError(length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
        return std::nullopt;
    }
    full.resize(length);
    if (full.starts_with(L"\\\\")) {
        full = L"\\\\?\\UNC\\" + full.substr(2);
    } else if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') {
        full = L"\\\\?\\" + full;
    }
    if (full.size() > LongestPath) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::nullopt;
    }
    return full;
}

} // namespace win32

std::optional<NativeString> nativeNameOf(std::string_view text) {
    // A colon names a stream inside a file on NTFS, not a file of its own.
    std::optional<std::wstring> wide = wideFrom(CP_UTF8, text);
    if (!wide || wide->empty() || wide->find(L':') != std::wstring::npos) {
        return std::nullopt;
    }
    return wide;
}

namespace {

std::string utf8FromWide(const wchar_t* wide, int length) {
    return win32::utf8FromWide(std::wstring_view(wide, static_cast<std::size_t>(length)))
        .value_or(std::string());
}

// INVALID_HANDLE_VALUE, with the system's error, for a path it cannot take.
HANDLE createFile(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    const std::optional<std::wstring> wide = win32::systemPath(path);
    return wide ? CreateFileW(wide->c_str(), access, share, nullptr, disposition, flags, nullptr)
                : INVALID_HANDLE_VALUE;
}

} // namespace

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
    const std::wstring wide = wideFrom(CP_ACP, text).value_or(std::wstring());
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

std::filesystem::path toFsPath(const char* text) {
    return std::filesystem::path(win32::wideFromUtf8(text));
}

std::string fromFsPath(const std::filesystem::path& path) {
    return win32::utf8FromWide(path.native()).value_or(std::string());
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

// A handle opened on a link or junction itself is refused here, as is a file
// with a second name where singleOnly says so.
HANDLE checkRegular(HANDLE handle, std::int64_t maxBytes, bool singleOnly) {
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
    } else if (singleOnly && info.nNumberOfLinks > 1) {
        error = ERROR_TOO_MANY_LINKS;
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
    HANDLE handle = createFile(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
    return streamOf(handle, _O_WRONLY | _O_BINARY, "wb");
}

bool removeEntry(const char* path) {
    const std::optional<std::wstring> wide = win32::systemPath(path);
    if (!wide) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    }
    // A link to a folder, or a junction, is removed as a folder; the folder it
    // points to is not touched.
    const bool linkedFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                              (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (linkedFolder ? RemoveDirectoryW(wide->c_str()) : DeleteFileW(wide->c_str())) {
        return true;
    }
    const DWORD error = GetLastError();
    const bool gone = GetFileAttributesW(wide->c_str()) == INVALID_FILE_ATTRIBUTES &&
                      GetLastError() == ERROR_FILE_NOT_FOUND;
    SetLastError(error);
    return gone;
}

// Win32 opens only by path, and a path is looked up again on every call; the
// system's own open takes a folder handle to look a name up in, as openat does,
// and ntdll, where it lives, is in every process before any other DLL.
namespace {

#ifndef FILE_OPEN
constexpr ULONG FILE_OPEN = 1;
#endif
#ifndef FILE_CREATE
constexpr ULONG FILE_CREATE = 2;
#endif
constexpr ULONG OpenDirectory = 0x1;
constexpr ULONG OpenSynchronous = 0x20;
constexpr ULONG OpenNonDirectory = 0x40;
constexpr ULONG OpenReparsePoint = 0x200000;
constexpr ACCESS_MASK Synchronous = 0x00100000;

using NtCreateFileCall = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                      PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using StatusToErrorCall = ULONG(NTAPI*)(LONG);
using NtSetInformationFileCall = LONG(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using NtQueryVolumeInformationFileCall = LONG(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                      ULONG);
using NtQueryDirectoryFileCall = LONG(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID,
                                              ULONG, ULONG, BOOLEAN, PUNICODE_STRING, BOOLEAN);
// FileRenameInformation: its name is taken relative to RootDirectory as given
// (Wine's SetFileInformationByHandle first makes it a full path from the current folder).
constexpr ULONG RenameInformation = 10;

struct Ntdll {
    NtCreateFileCall create = nullptr;
    NtSetInformationFileCall setInformation = nullptr;
    NtQueryVolumeInformationFileCall volumeInformation = nullptr;
    NtQueryDirectoryFileCall queryDirectory = nullptr;
    StatusToErrorCall toError = nullptr;
};

const Ntdll& ntdll() {
    static const Ntdll calls = [] {
        Ntdll found;
        if (HMODULE module = GetModuleHandleW(L"ntdll.dll")) {
            found.create = reinterpret_cast<NtCreateFileCall>(
                reinterpret_cast<void*>(GetProcAddress(module, "NtCreateFile")));
            found.setInformation = reinterpret_cast<NtSetInformationFileCall>(
                reinterpret_cast<void*>(GetProcAddress(module, "NtSetInformationFile")));
            found.volumeInformation = reinterpret_cast<NtQueryVolumeInformationFileCall>(
                reinterpret_cast<void*>(GetProcAddress(module, "NtQueryVolumeInformationFile")));
            found.queryDirectory = reinterpret_cast<NtQueryDirectoryFileCall>(
                reinterpret_cast<void*>(GetProcAddress(module, "NtQueryDirectoryFile")));
            found.toError = reinterpret_cast<StatusToErrorCall>(
                reinterpret_cast<void*>(GetProcAddress(module, "RtlNtStatusToDosError")));
        }
        return found;
    }();
    return calls;
}

} // namespace

struct FolderAccess {
    static Folder of(HANDLE handle, std::string path) {
        return Folder(reinterpret_cast<std::intptr_t>(handle), std::move(path));
    }
    static PrivateFolder privateOf(Folder&& folder) { return PrivateFolder(std::move(folder)); }
    static HANDLE handle(const Folder& folder) { return reinterpret_cast<HANDLE>(folder.handle_); }
};

namespace {

HANDLE handleOf(const Folder& folder) {
    return FolderAccess::handle(folder);
}

std::string shownIn(const Folder& folder, const Name& name) {
    return folder.pathOf(name);
}

// name in folder, never through a link or junction at name. Only one name: a
// separator would let it reach out of the folder.
HANDLE openIn(const Folder& folder, const Name& name, ACCESS_MASK access, ULONG disposition,
              ULONG options, PSECURITY_DESCRIPTOR security = nullptr,
              ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) {
    if (ntdll().create == nullptr) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    UNICODE_STRING unicode{};
    unicode.Buffer = const_cast<PWSTR>(name.native());
    unicode.Length = unicode.MaximumLength =
        static_cast<USHORT>(name.nativeSize() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = handleOf(folder);
    attributes.ObjectName = &unicode;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    attributes.SecurityDescriptor = security;
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const LONG status = ntdll().create(
        &handle, access | Synchronous, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
        disposition,
        // Creating fails on anything that stands there, a link included.
        options | OpenSynchronous | (disposition == FILE_CREATE ? 0 : OpenReparsePoint), nullptr,
        0);
    if (status < 0) {
        SetLastError(ntdll().toError != nullptr ? ntdll().toError(status) : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

constexpr ACCESS_MASK FolderRights =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL;

// A folder handle only when it is a folder and no link or junction.
Folder folderOf(HANDLE handle, std::string path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE) {
        return Folder();
    }
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        CloseHandle(handle);
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return Folder();
    }
    return FolderAccess::of(handle, std::move(path));
}

// The attributes the folder's own listing shows for name; INVALID_FILE_ATTRIBUTES
// when it lists no such name. Under Wine a handle opened on a host's symbolic link
// is its target's, and only the listing tells the link. The listing is asked for
// the one name, through a handle of its own: a listing's name pattern holds only
// for the first listing of a handle.
DWORD listedAttributes(const Folder& folder, const Name& name) {
    const std::wstring_view text(name.native(), name.nativeSize());
    if (ntdll().queryDirectory == nullptr || text.find_first_of(L"*?<>\"") != text.npos) {
        return INVALID_FILE_ATTRIBUTES;
    }
    HANDLE listing = ReOpenFile(handleOf(folder), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                FILE_FLAG_BACKUP_SEMANTICS);
    if (listing == INVALID_HANDLE_VALUE) {
        return INVALID_FILE_ATTRIBUTES;
    }
    UNICODE_STRING pattern{};
    pattern.Buffer = const_cast<PWSTR>(name.native());
    pattern.Length = pattern.MaximumLength = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    alignas(FILE_ID_BOTH_DIR_INFO) unsigned char buffer[sizeof(FILE_ID_BOTH_DIR_INFO) + 1024];
    IO_STATUS_BLOCK io{};
    constexpr ULONG IdBothDirectoryInformation = 37;
    const LONG status =
        ntdll().queryDirectory(listing, nullptr, nullptr, nullptr, &io, buffer, sizeof buffer,
                               IdBothDirectoryInformation, TRUE, &pattern, TRUE);
    CloseHandle(listing);
    const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer);
    if (status < 0 ||
        CompareStringOrdinal(entry->FileName,
                             static_cast<int>(entry->FileNameLength / sizeof(wchar_t)),
                             name.native(), static_cast<int>(text.size()), TRUE) != CSTR_EQUAL) {
        return INVALID_FILE_ATTRIBUTES;
    }
    return entry->FileAttributes;
}

// Full control for Administrators and SYSTEM, nothing inherited, nobody else.
// (Wine keeps a list of its own instead: SYSTEM and the account that made it.)
constexpr const char* PrivateAccess = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// The account the program runs as.
std::vector<unsigned char> processUser() {
    HANDLE token = nullptr;
    std::vector<unsigned char> user;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        user.resize(size);
        if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
            user.clear();
        }
        CloseHandle(token);
    }
    return user;
}

bool trustedAccount(PSID sid) {
    static const std::vector<unsigned char> user = processUser();
    return sid != nullptr && IsValidSid(sid) &&
           (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
            IsWellKnownSid(sid, WinLocalSystemSid) ||
            (!user.empty() &&
             EqualSid(sid, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid)));
}

bool keepsAccessLists(HANDLE folder) {
    DWORD flags = 0;
    return !GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, &flags, nullptr,
                                          0) ||
           (flags & FILE_PERSISTENT_ACLS) != 0;
}

// Allow entries of other kinds than the plain one name their account elsewhere in
// the entry: they count as granting everything to an account not trusted.
bool onlyTrustedWrite(HANDLE handle) {
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &acl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<AccessEntry> entries;
    bool readable = true;
    for (DWORD i = 0; readable && acl != nullptr && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        readable = GetAce(acl, i, &ace) != 0;
        if (!readable) {
            break;
        }
        const BYTE type = static_cast<ACE_HEADER*>(ace)->AceType;
        const bool denies = type == ACCESS_DENIED_ACE_TYPE ||
                            type == ACCESS_DENIED_OBJECT_ACE_TYPE ||
                            type == ACCESS_DENIED_CALLBACK_ACE_TYPE ||
                            type == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
        const bool plain = type == ACCESS_ALLOWED_ACE_TYPE;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        entries.push_back({!denies, plain && trustedAccount(&allowed->SidStart),
                           plain ? static_cast<std::uint32_t>(allowed->Mask) : FolderWriteRights});
    }
    const bool only =
        readable && onlyTrustedMayWrite(trustedAccount(owner), acl != nullptr, entries);
    LocalFree(descriptor);
    return only;
}

} // namespace

void Folder::release() {
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

Folder openInstallFolder(const char* path, std::string& why) {
    // The root: "C:\", "\\server\share\", or the current folder for a relative path.
    const std::string text = path;
    std::size_t start = 0;
    std::string root = ".";
    if (text.size() >= 2 && text[1] == ':') {
        root = text.substr(0, 2) + "\\";
        start = 2;
    } else if (text.rfind("\\\\", 0) == 0) {
        const std::size_t share = text.find('\\', 2);
        const std::size_t end = share == std::string::npos ? share : text.find('\\', share + 1);
        root = end == std::string::npos ? text + "\\" : text.substr(0, end + 1);
        start = end == std::string::npos ? text.size() : end;
    }
    Folder folder =
        folderOf(createFile(root.c_str(), FolderRights,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT),
                 root);
    if (!folder.isOpen()) {
        why = root + ": " + systemErrorText();
        return Folder();
    }
    std::string walked = root;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\\/", start), text.size());
        const std::string name = text.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".") {
            continue;
        }
        walked += (walked.back() == '\\' ? "" : "\\") + name;
        // Whether an account other than an administrator could have made a link
        // here is in the folder's access list; any link or junction is refused.
        const std::optional<Name> one = Name::of(name);
        if (!one) {
            SetLastError(ERROR_INVALID_NAME);
            why = walked + ": " + systemErrorText();
            return Folder();
        }
        Folder next = openSubfolder(folder, *one);
        if (!next.isOpen()) {
            const DWORD error = GetLastError();
            why = entryIn(folder, *one) == EntryKind::Link
                      ? walked + " is a link or junction"
                      : walked + ": " + (SetLastError(error), systemErrorText());
            return Folder();
        }
        folder = std::move(next);
    }
    // The same folder under the name the caller knows it by, for the log.
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), handleOf(folder), GetCurrentProcess(), &copy, 0,
                         FALSE, DUPLICATE_SAME_ACCESS)) {
        why = walked + ": " + systemErrorText();
        return Folder();
    }
    return FolderAccess::of(copy, path);
}

Folder openCurrentFolder() {
    return folderOf(CreateFileW(L".", FolderRights,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                    ".");
}

Folder openSubfolder(const Folder& parent, const Name& name) {
    Folder folder = folderOf(openIn(parent, name, FolderRights, FILE_OPEN, OpenDirectory),
                             shownIn(parent, name));
    // Under Wine a handle opened on a host's symbolic link is its target's: a
    // second guard, after the open, by the parent's listing.
    const DWORD attributes =
        folder.isOpen() ? listedAttributes(parent, name) : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return Folder();
    }
    return folder;
}

PrivateFolder openPrivateFolder(const Folder& parent, const Name& name, bool create,
                                PrivateFolderState& state) {
    state = PrivateFolderState::Failed;
    if (create) {
        PSECURITY_DESCRIPTOR security = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(PrivateAccess, SDDL_REVISION_1,
                                                                  &security, nullptr)) {
            return PrivateFolder();
        }
        HANDLE made = openIn(parent, name, FolderRights, FILE_CREATE, OpenDirectory, security);
        const DWORD error = GetLastError();
        LocalFree(security);
        // Made here with its access list, through this very handle: it is the
        // program's own whatever the system reports of its list.
        if (made != INVALID_HANDLE_VALUE) {
            state = keepsAccessLists(made) ? PrivateFolderState::Private
                                           : PrivateFolderState::Unprotected;
            return FolderAccess::privateOf(folderOf(made, shownIn(parent, name)));
        }
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            SetLastError(error);
            return PrivateFolder();
        }
    }
    Folder folder = openSubfolder(parent, name);
    if (!folder.isOpen()) {
        const DWORD error = GetLastError();
        state = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                    ? PrivateFolderState::Missing
                    : PrivateFolderState::Refused;
        return PrivateFolder();
    }
    if (!keepsAccessLists(handleOf(folder))) {
        state = PrivateFolderState::Unprotected;
        return FolderAccess::privateOf(std::move(folder));
    }
    if (!onlyTrustedWrite(handleOf(folder))) {
        state = PrivateFolderState::Refused;
        SetLastError(ERROR_ACCESS_DENIED);
        return PrivateFolder();
    }
    state = PrivateFolderState::Private;
    return FolderAccess::privateOf(std::move(folder));
}

EntryKind entryIn(const Folder& folder, const Name& name, std::uint64_t* size) {
    const DWORD attributes = listedAttributes(folder, name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return EntryKind::Link; // as Wine shows a host's link
    }
    HANDLE handle = openIn(folder, name, FILE_READ_ATTRIBUTES, FILE_OPEN, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::None
                                                                              : EntryKind::Other;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    EntryKind kind = EntryKind::Other;
    if (GetFileInformationByHandle(handle, &info)) {
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            kind = EntryKind::Link;
        } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                   GetFileType(handle) == FILE_TYPE_DISK) {
            kind = EntryKind::File;
            if (size != nullptr) {
                *size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
            }
        }
    }
    CloseHandle(handle);
    return kind;
}

File createFileIn(const PrivateFolder& folder, const Name& name) {
    HANDLE handle = openIn(folder, name, GENERIC_WRITE, FILE_CREATE, OpenNonDirectory);
    return FileAccess::of(streamOf(handle, _O_WRONLY | _O_BINARY, "wb"));
}

File openFileIn(const Folder& folder, const Name& name, std::int64_t maxBytes, Source source) {
    // Others may read an untrusted file meanwhile; nobody may write, rename or delete it.
    const bool untrusted = source == Source::Untrusted;
    HANDLE handle =
        checkRegular(openIn(folder, name, GENERIC_READ, FILE_OPEN, OpenNonDirectory, nullptr,
                            untrusted ? FILE_SHARE_READ
                                      : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE),
                     maxBytes, untrusted);
    return FileAccess::of(streamOf(handle, _O_RDONLY | _O_BINARY, "rb"));
}

namespace {

bool deleteOpened(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    const bool deleted = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                                    sizeof disposition) != 0;
    const DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
    return deleted;
}

} // namespace

namespace {

bool removeFile(const Folder& folder, const Name& name) {
    HANDLE handle =
        openIn(folder, name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, FILE_OPEN, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    FILE_BASIC_INFO info{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) ||
        (info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
            FILE_ATTRIBUTE_DIRECTORY) {
        CloseHandle(handle);
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    // The handle is the file's own, opened without following a link: the
    // read-only attribute that stops a deletion goes from this file only.
    if ((info.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        info.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (info.FileAttributes == 0) {
            info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info);
    }
    return deleteOpened(handle);
}

bool removeFolder(const Folder& folder, const Name& name) {
    HANDLE handle = openIn(folder, name, DELETE, FILE_OPEN, OpenDirectory);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return deleteOpened(handle);
}

bool renameIn(const Folder& from, const Name& fromName, const Folder& to, const Name& toName) {
    HANDLE handle = openIn(from, fromName, DELETE, FILE_OPEN, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const std::wstring_view target(toName.native(), toName.nativeSize());
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = handleOf(to);
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, target.data(), rename->FileNameLength);
    IO_STATUS_BLOCK io{};
    const LONG status =
        ntdll().setInformation != nullptr
            ? ntdll().setInformation(handle, &io, rename, static_cast<ULONG>(buffer.size()),
                                     RenameInformation)
            : -1;
    const bool moved = status >= 0;
    const DWORD error = moved                        ? ERROR_SUCCESS
                        : ntdll().toError != nullptr ? ntdll().toError(status)
                                                     : ERROR_ACCESS_DENIED;
    CloseHandle(handle);
    SetLastError(error);
    return moved;
}

Status done(bool ok) {
    return ok ? Status() : Status::lastError();
}

} // namespace

Status removeIn(const Folder& folder, const Name& name) {
    return done(removeFile(folder, name));
}

Status removeFolderIn(const Folder& folder, const Name& name) {
    return done(removeFolder(folder, name));
}

Status moveIn(const PrivateFolder& from, const Name& fromName, const Folder& to,
              const Name& toName) {
    return done(renameIn(from, fromName, to, toName));
}

Status moveIn(const Folder& from, const Name& fromName, const PrivateFolder& to,
              const Name& toName) {
    return done(renameIn(from, fromName, to, toName));
}

Status moveIn(const PrivateFolder& from, const Name& fromName, const PrivateFolder& to,
              const Name& toName) {
    return done(renameIn(from, fromName, to, toName));
}

bool listFolder(const Folder& folder, std::vector<Name>& names) {
    names.clear();
    bool representable = true;
    std::vector<unsigned char> buffer(64 * 1024);
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(handleOf(folder), kind, buffer.data(),
                                        static_cast<DWORD>(buffer.size()))) {
        kind = FileIdBothDirectoryInfo;
        for (std::size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
            const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                const std::optional<std::string> text = win32::utf8FromWide(name);
                std::optional<Name> listed = text ? Name::of(*text) : std::nullopt;
                if (listed) {
                    names.push_back(std::move(*listed));
                } else {
                    representable = false;
                }
            }
            if (entry->NextEntryOffset == 0) {
                break;
            }
            at += entry->NextEntryOffset;
        }
    }
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        return false;
    }
    SetLastError(representable ? ERROR_SUCCESS : ERROR_NO_UNICODE_TRANSLATION);
    return representable;
}

// Renames and deletions by handle are on the disk when the handle closes.
Status syncFolder(const Folder&) {
    return Status();
}

Status syncFilesIn(const Folder& folder, const std::vector<Name>& names) {
    for (const Name& name : names) {
        HANDLE handle = openIn(folder, name, GENERIC_WRITE, FILE_OPEN, OpenNonDirectory);
        if (handle == INVALID_HANDLE_VALUE) {
            return Status::lastError();
        }
        const bool flushed = FlushFileBuffers(handle) != 0;
        const DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
        if (!flushed) {
            return Status::lastError();
        }
    }
    return Status();
}

std::int64_t availableBytes(const Folder& folder) {
    // Asked of the handle: the folder's path may lead elsewhere by now.
    struct {
        LARGE_INTEGER total;
        LARGE_INTEGER available; // to the calling account, quotas counted
        ULONG sectorsPerUnit;
        ULONG bytesPerSector;
    } size{};
    constexpr ULONG SizeInformation = 3; // FileFsSizeInformation
    IO_STATUS_BLOCK io{};
    if (ntdll().volumeInformation == nullptr ||
        ntdll().volumeInformation(handleOf(folder), &io, &size, sizeof size, SizeInformation) < 0) {
        return -1;
    }
    return static_cast<std::int64_t>(size.available.QuadPart) * size.sectorsPerUnit *
           size.bytesPerSector;
}

namespace {

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// Whether any process runs the file whose identity is given, by the files the
// processes were started from.
bool anyProcessRuns(const BY_HANDLE_FILE_INFORMATION& program) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool runs = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !runs;
         more = Process32NextW(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (process == nullptr) {
            continue;
        }
        std::wstring image(32768, L'\0');
        DWORD length = static_cast<DWORD>(image.size());
        if (QueryFullProcessImageNameW(process, 0, image.data(), &length)) {
            image.resize(length);
            HANDLE file = CreateFileW(image.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            BY_HANDLE_FILE_INFORMATION info{};
            runs = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info) &&
                   sameFile(info, program);
            if (file != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
            }
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return runs;
}

} // namespace

bool programRunning(const Folder& folder, const Name& name) {
    // Nothing is written: the handle only asks for the right to, which a running
    // program's file refuses.
    HANDLE handle = openIn(folder, name, FILE_WRITE_DATA, FILE_OPEN, OpenNonDirectory);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    if (GetLastError() == ERROR_SHARING_VIOLATION) {
        return true;
    }
    // A read-only file refuses writing before anything else is asked: then the
    // running processes tell.
    handle = openIn(folder, name, FILE_READ_ATTRIBUTES, FILE_OPEN, OpenNonDirectory);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    return known && anyProcessRuns(info);
}

bool isFolderAt(const Folder& folder, const Folder& parent, const Name& name) {
    BY_HANDLE_FILE_INFORMATION held{};
    BY_HANDLE_FILE_INFORMATION named{};
    HANDLE handle = openIn(parent, name, FILE_READ_ATTRIBUTES, FILE_OPEN, OpenDirectory);
    const bool same = handle != INVALID_HANDLE_VALUE &&
                      GetFileInformationByHandle(handleOf(folder), &held) &&
                      GetFileInformationByHandle(handle, &named) && sameFile(held, named);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    return same;
}

std::string currentPathOf(const Folder& folder) {
    const DWORD length = GetFinalPathNameByHandleW(handleOf(folder), nullptr, 0, 0);
    std::wstring path(length, L'\0');
    if (length == 0 ||
        GetFinalPathNameByHandleW(handleOf(folder), path.data(), length, 0) + 1 != length) {
        return {};
    }
    path.resize(length - 1);
    return win32::utf8FromWide(path).value_or(std::string());
}

bool removeAtRestart(const Folder& folder, const Name& name) {
    // The folder as the system names it now, whatever it was opened by.
    const DWORD length = GetFinalPathNameByHandleW(handleOf(folder), nullptr, 0, 0);
    std::wstring path(length, L'\0');
    if (length == 0 ||
        GetFinalPathNameByHandleW(handleOf(folder), path.data(), length, 0) + 1 != length) {
        return false;
    }
    path.resize(length - 1);
    path += L'\\';
    path.append(name.native(), name.nativeSize());
    return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

File appendFileIn(const Folder& folder, const Name& name) {
    constexpr ULONG OpenOrCreate = 3; // FILE_OPEN_IF
    HANDLE handle = checkRegular(
        openIn(folder, name, FILE_APPEND_DATA, OpenOrCreate, OpenNonDirectory), -1, true);
    return FileAccess::of(streamOf(handle, _O_WRONLY | _O_APPEND | _O_TEXT, "a"));
}
