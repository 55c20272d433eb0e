// The few file services the standard streams lack: 64-bit positions on every
// system, pushing files and folders to the disk, replacing a file in one step,
// free space, the system's own words for a failure, and handing the program's
// paths to std::filesystem.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// origin is SEEK_SET, SEEK_CUR or SEEK_END.
bool seekFile(std::FILE* file, std::int64_t offset, int origin);
// -1 on failure.
std::int64_t tellFile(std::FILE* file);
// Flushes the stream's buffer and the system's cache of the file to the disk.
bool syncFile(std::FILE* file);
// Flushes the data of closed files to the disk, with as few calls to the system
// as it allows (one per file system where it can flush a whole one).
bool syncPaths(const std::vector<std::string>& paths);
// Makes the names created, renamed or removed in folder durable (where the system
// needs that asked for separately).
bool syncFolder(const char* folder);
// Renames source to target in one step, replacing target, written through to the
// disk. A target another program holds open without sharing it is a failure.
bool moveReplacing(const char* source, const char* target);
// Bytes the caller may still write on the file system that holds folder; -1 when
// the system cannot tell.
std::int64_t availableBytes(const char* folder);
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

// The program runs elevated and writes into folders that ordinary accounts may
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
// Opens path for appending, creating it when missing, only when it is (or
// becomes) a regular file.
std::FILE* appendRegularFile(const char* path);
// Lets the owner read and write path, only when it is a regular file.
bool makeFileWritable(const char* path);
// Whether path is a symbolic link, or on Windows any reparse point (a junction).
bool isLink(const char* path);

// The program's paths are text in the system's narrow encoding, the one fopen, the
// registry and the shell take (the ANSI code page on Windows); std::filesystem
// reads narrow text in an encoding of its own, so paths cross over here.
std::filesystem::path toFsPath(const char* text);
std::string fromFsPath(const std::filesystem::path& path);

// What leaves the program as text (the log, standard output and error, the
// desktop's windows) is UTF-8. The system's narrow text (paths, the command line,
// the record's values) becomes UTF-8 here: on Windows it is in the ANSI code page;
// elsewhere it is the system's bytes, normally UTF-8 already, and kept as they are.
std::string utf8FromSystemText(std::string_view text);
// Writes UTF-8 text to standard output or error: a console shows it whatever its
// code page; a file or pipe gets the UTF-8 bytes.
void writeStandardText(std::FILE* stream, std::string_view utf8);
// What a new UTF-8 text file starts with so that the system's own tools read it
// as UTF-8: the byte-order mark on Windows, nothing elsewhere.
std::string_view utf8FileMark();
