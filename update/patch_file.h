// The patch package "update.patch": what turns an installation of a known earlier
// release into the new one, entry by entry, as the difference from the installed
// file. One patch serves several earlier releases, each by a set of its own.
// Little-endian throughout:
//
//   "TCPATCH" 0x1a, format version (u32, 2),
//   the number of sets (u8, 1-16), each as
//     the number of versions it fits (u8, 1-16), each as its length (u8, 1-15) and
//     text of digits and dots ("3.69"), as the installation record stores it,
//     the number of entries (u8, 46: every entry of update.dat but the readme's), each
//     as kind (u8: 0 unchanged, 1 VCDIFF delta against the base, 2 whole), base size
//     (u64), base SHA-256, result size (u64), result SHA-256, where its stored bytes
//     begin, counted from the end of the table (u64), stored bytes (u64) and raw
//     bytes (u64),
//   the SHA-256 of everything above,
//   then the stored bytes: each a zlib stream of an entry's raw bytes, back to back
//   to the end of the file, every byte of them part of exactly one stream. Entries
//   of several sets that carry the same bytes name the same stream; unchanged
//   entries name none (0, 0, 0).
//
// Format 1, still read, has one set without its count, and entries without where
// their stored bytes begin: they follow in entry order.
//
// The file is a download: it is hostile until checked. Every count is bounded
// before anything is allocated, and the whole table is checked against its own
// digest and the file's length before any entry is believed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/name.h"
#include "platform/sha256.h"
#include "update/file_list.h"
#include "update/vcdiff.h"

inline constexpr Name PatchFile = "update.patch";
inline constexpr const char* PatchFileName = PatchFile.c_str();
inline constexpr std::uint32_t PatchFormatVersion = 2;
// The decoder holds a whole delta in memory; a longer one is stored whole.
inline constexpr std::uint64_t PatchMaxDeltaBytes = std::uint64_t{32} << 20;
inline constexpr int PatchMaxVersions = 16;
inline constexpr int PatchMaxSets = 16;
inline constexpr std::size_t PatchMaxVersionLength = 15;

enum class PatchKind : std::uint8_t { Unchanged = 0, Delta = 1, Whole = 2 };

struct PatchEntry {
    PatchKind kind = PatchKind::Unchanged;
    std::uint64_t baseSize = 0;
    Sha256Digest baseDigest{};
    std::uint64_t resultSize = 0;
    Sha256Digest resultDigest{};
    std::uint64_t storedAt = 0; // of its stored bytes, from the end of the table
    std::uint64_t offset = 0;   // of its stored bytes in the file
    std::uint64_t storedBytes = 0;
    std::uint64_t rawBytes = 0;
};

// What turns the installations of some earlier release into the new one.
struct PatchSet {
    std::vector<std::string> versions;
    // By update.dat entry; the readme's is never used.
    std::array<PatchEntry, UpdateFileCount> entries{};

    // Whether an installation whose record says recordVersion ("Version 3.69
    // (ENG)") is one this set was made for.
    bool fits(const char* recordVersion) const;
};

struct PatchTable {
    std::uint32_t format = PatchFormatVersion;
    std::vector<PatchSet> sets;
};

// The version number in a record's "Version" as stored ("3.69"); empty when it
// holds none.
std::string versionNumberOf(const char* recordVersion);

// Reads and checks the table of an open patch of length bytes. Nothing, with why
// set, when it is not a sound patch.
std::optional<PatchTable> readPatchTable(File& patch, std::int64_t length, std::string& why);

// Whether the installed file base is the one the entry was made against: its
// size and SHA-256. False also when it cannot be read (readFailed then set).
bool baseMatches(const PatchEntry& entry, File& base, bool& readFailed);

enum class PatchApplyStatus {
    Done,
    PatchBad,    // the patch's bytes are not what its table promises
    BaseFailed,  // the base could not be read
    WriteFailed, // the target could not be written
};

struct PatchApplyResult {
    PatchApplyStatus status = PatchApplyStatus::Done;
    std::string message;
};

// The memory applying an entry needs, kept from one entry to the next: fresh
// buffers for each of 46 files cost more in page faults than the decoding.
struct PatchWorkspace {
    PatchWorkspace() { decoder.checkWindowSums = false; } // the result's SHA-256 is checked
    VcdiffDecoder decoder;
    VcdiffFileSource base;
    std::unique_ptr<unsigned char[]> inflating;
};

// Writes the entry's result to target (front to back, from where it stands; a
// null target takes nothing), reading patch at the entry's bytes and base where
// the entry is a delta, and hashes what it writes: Done only when the size and
// SHA-256 are the entry's. An unchanged entry writes nothing. Memory stays
// bounded by the largest delta and base.
PatchApplyResult applyPatchEntry(File& patch, const PatchEntry& entry, File* base, File* target,
                                 PatchWorkspace& workspace);
PatchApplyResult applyPatchEntry(File& patch, const PatchEntry& entry, File* base, File* target);

// Packing: the table of the sets described by the caller (each entry's storedAt,
// storedBytes and rawBytes as the caller lays out the stored bytes it appends).
std::string patchTableBytes(const std::vector<PatchSet>& sets);
// Whether text is a version number a patch can name.
bool isPatchVersion(const std::string& text);
