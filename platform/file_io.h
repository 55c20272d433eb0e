// The few file services the standard streams lack: 64-bit positions on every
// system, folders held open and the files in them, pushing both to the disk,
// free space, the system's own words for a failure, and handing the program's
// paths to std::filesystem.
//
// The program's paths are UTF-8 text (on Linux the system's bytes, passed as they
// are). On Windows they become UTF-16 for the system's wide-character calls here
// and nowhere else, in the form no 260-character limit applies to. A path that is
// no UTF-8, or too long even for that form, fails with the system's error for it;
// no name is ever mapped to another.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/system_text.h"

// origin is SEEK_SET, SEEK_CUR or SEEK_END.
bool seekFile(std::FILE* file, std::int64_t offset, int origin);
// -1 on failure.
std::int64_t tellFile(std::FILE* file);
// std::fopen for the program's paths (fopen itself takes the ANSI code page on
// Windows).
std::FILE* openFile(const char* path, const char* mode);
// Flushes the stream's buffer and the system's cache of the file to the disk.
bool syncFile(std::FILE* file);
// The system's text for the failure of the last file call, for the run log, in
// UTF-8.
std::string systemErrorText();
// Keeps the system's error of a failed call across the clean-up that follows it,
// so that the log names the cause and not the clean-up's own result.
class SystemErrorKept {
  public:
    SystemErrorKept();
    ~SystemErrorKept();
    SystemErrorKept(const SystemErrorKept&) = delete;
    SystemErrorKept& operator=(const SystemErrorKept&) = delete;

  private:
    int error;
    [[maybe_unused]] unsigned long systemError; // the last error, where the system has one
};
// Opens path for binary reading and keeps it as it is while the stream is open:
// on Windows nobody may write, rename or delete it meanwhile (other readers may
// open it); elsewhere the stream keeps reading the file it opened, whatever is
// renamed over its name. Only a regular file opens, never through a link (the
// update folder is anyone's to prepare). Null on failure.
std::FILE* openLocked(const char* path);
// Asks the system to read the file front to back, once (a hint; may do nothing).
void adviseSequential(std::FILE* file);

// The program runs elevated and works in folders that ordinary accounts may
// write too, so a name there may hold a link to anywhere, a FIFO or a device.
// None of these follow a link at the name they are given.
//
// Creates path as a new file for binary writing; null (errno / last error set)
// when anything, a dangling link included, already stands there.
std::FILE* createNewFile(const char* path);
// Removes what stands at path (a link itself, never its target; no folder). True
// when nothing stands there afterwards.
bool removeEntry(const char* path);
// Opens path for binary reading only when it is a regular file of at most
// maxBytes (a FIFO or device fails at once, without waiting for a writer).
std::FILE* openRegularFile(const char* path, std::int64_t maxBytes);

// A folder held open. Every name below is looked up inside the folder the handle
// was opened on, so a folder renamed or swapped for a link after it was opened
// moves nothing the program does elsewhere.
class Folder {
  public:
    Folder() = default;
    Folder(std::intptr_t handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    ~Folder() { release(); }
    Folder(Folder&& other) noexcept
        : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}
    Folder& operator=(Folder&& other) noexcept {
        if (this != &other) {
            release();
            handle_ = std::exchange(other.handle_, -1);
            path_ = std::move(other.path_);
        }
        return *this;
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    bool isOpen() const { return handle_ != -1; }
    // The descriptor, or the Windows handle.
    std::intptr_t handle() const { return handle_; }
    // The path it was opened by: for the log only, never opened again.
    const std::string& path() const { return path_; }

  private:
    // Closes the descriptor or handle, if open: each platform's own call.
    void release();

    std::intptr_t handle_ = -1;
    std::string path_;
};

// The installation folder, walked from the root one name at a time, at any
// length the system allows. A link on the way is followed only where no account
// but an administrator may have put it (on Windows, where that needs access
// lists, no link or junction at all). Not open, with why saying which name
// stopped it and how (a name too long included), otherwise.
Folder openInstallFolder(const char* path, std::string& why);
// The folder the program was started in (the update folder).
Folder openCurrentFolder();
// name inside parent, when it is a folder and not a link or junction.
Folder openSubfolder(const Folder& parent, const char* name);
enum class PrivateFolderState {
    Private,     // only administrators and the program's own account may write it
    Unprotected, // its volume keeps no access lists (FAT32, exFAT): nothing can be kept
                 // private there, and any account may write the whole folder around it
    Missing,
    Refused, // another account made it or may write it, or it is a link
    Failed,  // the system's error says why
};
// name inside parent as a folder only the program's own account may use: created
// so when create is true and nothing stands there. Open only when state is
// Private or Unprotected.
Folder openPrivateFolder(const Folder& parent, const char* name, bool create,
                         PrivateFolderState& state);

enum class EntryKind { None, File, Link, Other };
// What stands at name in folder, looked at without following a link; size, when
// given, takes a file's size.
EntryKind entryIn(const Folder& folder, const char* name, std::uint64_t* size = nullptr);
// name in folder for appending, created when missing, only when it is (or becomes)
// a regular file with no other name: a second hard link would carry what is
// written into a file someone else chose.
std::FILE* appendFileIn(const Folder& folder, const char* name);
// name in folder as a new file for binary writing; null when anything stands there.
std::FILE* createFileIn(const Folder& folder, const char* name);
// name in folder for binary reading, only a regular file of at most maxBytes
// (-1: any size), never waiting on a FIFO.
std::FILE* openFileIn(const Folder& folder, const char* name, std::int64_t maxBytes);
// Removes the file or link at name (never what a link points to; no folder). True
// when nothing stands there afterwards. Nothing's permissions change first: a
// read-only file on Windows loses the attribute through the handle that deletes it.
bool removeIn(const Folder& folder, const char* name);
// Removes the empty folder name.
bool removeFolderIn(const Folder& folder, const char* name);
// Renames from's fromName to to's toName in one step, replacing a file there,
// written through to the disk.
bool moveIn(const Folder& from, const char* fromName, const Folder& to, const char* toName);
// The names in folder, "." and ".." left out. False also when a name is no
// Unicode text: it is left out, never listed under another name.
bool listFolder(const Folder& folder, std::vector<std::string>& names);
// Makes the names created, renamed or removed in folder durable (where the system
// needs that asked for separately).
bool syncFolder(const Folder& folder);
// Flushes the data of the closed files names in folder to the disk, with as few
// calls to the system as it allows (one for the whole file system where it can).
bool syncFilesIn(const Folder& folder, const std::vector<std::string>& names);
// Whether the last failed call failed because another program has the file open
// (a virus scanner, an indexer, a sync client, the game): worth trying again in a
// moment.
bool lastFailureWasInUse();
// Whether the program file name in folder is being run. A running program's file
// cannot be opened for writing while it runs; false when nothing tells.
bool programRunning(const Folder& folder, const char* name);
// Has the system remove name in folder when it next starts, where it can (Windows);
// false elsewhere.
bool removeAtRestart(const Folder& folder, const char* name);
// Bytes the caller may still write on the file system that holds folder; -1 when
// the system cannot tell.
std::int64_t availableBytes(const Folder& folder);

// std::filesystem reads narrow text in an encoding of its own (the ANSI code page
// on Windows), so the program's UTF-8 paths cross over here. A name that is no
// Unicode text (a lone surrogate on Windows) crosses as an empty path.
std::filesystem::path toFsPath(const char* text);
std::string fromFsPath(const std::filesystem::path& path);

// Writes UTF-8 text to standard output or error: a console shows it whatever its
// code page; a file or pipe gets the UTF-8 bytes.
void writeStandardText(std::FILE* stream, std::string_view utf8);
// What a new UTF-8 text file starts with so that the system's own tools read it
// as UTF-8: the byte-order mark on Windows, nothing elsewhere.
std::string_view utf8FileMark();
