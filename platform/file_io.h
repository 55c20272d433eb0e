// The program's only way to its files: folders held open, the files in them by
// name (one Name, never a path), pushing both to the disk, free space, and the
// system's own words for a failure.
//
// The program runs elevated and works in folders that ordinary accounts may
// write too, so a name there may hold a link to anywhere, a FIFO or a device. No
// call below follows a link at the name it is given; the folder itself is the one
// that was opened, whatever has been renamed or linked since.
//
// The program's paths and names are UTF-8 text (on Linux the system's bytes,
// passed as they are). On Windows a Name carries its UTF-16 form, which the
// system's wide-character calls take.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/name.h"
#include "platform/system_text.h"

// How a file call ended: nothing, or the system's error for it. A value, kept
// for as long as the caller needs it, whatever other calls happen meanwhile.
class Status {
  public:
    Status() = default;
    // The error of the system's call that has just failed (errno, or the last
    // error on Windows).
    static Status lastError();

    bool ok() const { return code_ == 0; }
    explicit operator bool() const { return ok(); }
    // Another program has the file open (a virus scanner, an indexer, a sync
    // client, the game): worth trying again in a moment.
    bool inUse() const;
    // The system's words for it, in UTF-8, for the log.
    std::string text() const;

  private:
    explicit Status(unsigned long code) : code_(code) {}
    unsigned long code_ = 0;
};

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

// An open file, closed with its owner. Only the calls below open one.
class File {
  public:
    File() = default;
    // A failure to close here goes unseen: close() first where it matters.
    ~File() { close(); }
    File(File&& other) noexcept
        : stream_(std::exchange(other.stream_, nullptr)), error_(other.error_) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            close();
            stream_ = std::exchange(other.stream_, nullptr);
            error_ = other.error_;
        }
        return *this;
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return stream_ != nullptr; }
    // Why it did not open.
    const Status& error() const { return error_; }

    // Up to size bytes; fewer at the end of the file or on a failure, which
    // failed() then tells.
    std::size_t read(void* data, std::size_t size);
    bool failed() const;
    // All size bytes, or false.
    bool write(const void* data, std::size_t size);
    enum class From { Start, End };
    bool seek(std::int64_t offset, From from = From::Start);
    // -1 on failure.
    std::int64_t tell();
    bool flush();
    // Flushes the stream and the system's cache of the file to the disk.
    bool sync();
    // Asks the system to read the file front to back, once (a hint; may do nothing).
    void adviseSequential();
    // Closes it; false when what was written may not all have reached the file.
    bool close();

  private:
    friend struct FileAccess;
    explicit File(std::FILE* stream) : stream_(stream) {}

    std::FILE* stream_ = nullptr;
    Status error_;
};

// A folder held open. Every name below is looked up inside the folder the handle
// was opened on, so a folder renamed or swapped for a link after it was opened
// moves nothing the program does elsewhere. Only the calls below open one.
class Folder {
  public:
    Folder() = default;
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
    // The path it was opened by, for the log: nothing opens it again.
    const std::string& path() const { return path_; }
    // name in it, as the log shows it.
    std::string pathOf(const Name& name) const { return path_ + PathSeparator + name.str(); }

  private:
    friend struct FolderAccess;
    Folder(std::intptr_t handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    // Closes the descriptor or handle, if open: each platform's own call.
    void release();

    std::intptr_t handle_ = -1;
    std::string path_;
};

// A folder only the program's own account may use (see openPrivateFolder): the
// only kind files are created in, and the one the update renames its files into
// and out of.
class PrivateFolder : public Folder {
  public:
    PrivateFolder() = default;

  private:
    friend struct FolderAccess;
    explicit PrivateFolder(Folder&& folder) : Folder(std::move(folder)) {}
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
Folder openSubfolder(const Folder& parent, const Name& name);
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
PrivateFolder openPrivateFolder(const Folder& parent, const Name& name, bool create,
                                PrivateFolderState& state);

enum class EntryKind { None, File, Link, Other };
// What stands at name in folder, looked at without following a link; size, when
// given, takes a file's size.
EntryKind entryIn(const Folder& folder, const Name& name, std::uint64_t* size = nullptr);
// name in folder for appending, created when missing, only when it is (or becomes)
// a regular file with no other name: a second hard link would carry what is
// written into a file someone else chose.
File appendFileIn(const Folder& folder, const Name& name);
// name in folder as a new file for binary writing; not open when anything stands
// there.
File createFileIn(const PrivateFolder& folder, const Name& name);
enum class Source {
    Own, // a folder of the installation, or the private folder
    // A folder any account may prepare (the update folder): a file with a second
    // name is refused, since it may be someone else's file linked in. On Windows
    // nobody else may write, rename or remove it while it is open; on Linux they
    // may, and the handle goes on reading the file it opened, whatever is renamed
    // over the name, and sees what is written into it: read such a file once.
    Untrusted,
};
// name in folder for binary reading, only a regular file of at most maxBytes
// (-1: any size), never waiting on a FIFO.
File openFileIn(const Folder& folder, const Name& name, std::int64_t maxBytes = -1,
                Source source = Source::Own);
// Removes the file or link at name (never what a link points to; no folder). Ok
// when nothing stands there afterwards. Nothing's permissions change first: a
// read-only file on Windows loses the attribute through the handle that deletes it.
Status removeIn(const Folder& folder, const Name& name);
// Removes the empty folder name.
Status removeFolderIn(const Folder& folder, const Name& name);
// Renames from's fromName to to's toName in one step, replacing a file there,
// written through to the disk. One side is always the private folder: nothing
// else is renamed.
Status moveIn(const PrivateFolder& from, const Name& fromName, const Folder& to,
              const Name& toName);
Status moveIn(const Folder& from, const Name& fromName, const PrivateFolder& to,
              const Name& toName);
Status moveIn(const PrivateFolder& from, const Name& fromName, const PrivateFolder& to,
              const Name& toName);
// The names in folder, "." and ".." left out. False also when a name has no form
// as a Name (on Windows, one that is no Unicode text): it is left out, never
// listed under another name.
bool listFolder(const Folder& folder, std::vector<Name>& names);
// Makes the names created, renamed or removed in folder durable (where the system
// needs that asked for separately).
Status syncFolder(const Folder& folder);
// Flushes the data of the closed files names in folder to the disk, with as few
// calls to the system as it allows (one for the whole file system where it can).
Status syncFilesIn(const Folder& folder, const std::vector<Name>& names);
// Whether the program file name in folder is being run. A running program's file
// cannot be opened for writing while it runs; false when nothing tells.
bool programRunning(const Folder& folder, const Name& name);
// Has the system remove name in folder when it next starts, where it can (Windows);
// false elsewhere.
bool removeAtRestart(const Folder& folder, const Name& name);
// Whether name in parent is folder itself, and not another of the same name.
bool isFolderAt(const Folder& folder, const Folder& parent, const Name& name);
// Where the system finds folder now, for the log only: someone may have renamed it
// since it was opened. Empty when the system cannot tell.
std::string currentPathOf(const Folder& folder);
// Bytes the caller may still write on the file system that holds folder; -1 when
// the system cannot tell.
std::int64_t availableBytes(const Folder& folder);

// Writes UTF-8 text to standard output or error: a console shows it whatever its
// code page; a file or pipe gets the UTF-8 bytes.
void writeStandardText(std::FILE* stream, std::string_view utf8);
// What a new UTF-8 text file starts with so that the system's own tools read it
// as UTF-8: the byte-order mark on Windows, nothing elsewhere.
std::string_view utf8FileMark();
