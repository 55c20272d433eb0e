#include "update/patch_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>
#include <zlib.h>

#include "platform/file_io.h"
#include "update/copy_bytes.h"
#include "update/digest.h"
#include "update/vcdiff.h"

namespace {

constexpr unsigned char Magic[8] = {'T', 'C', 'P', 'A', 'T', 'C', 'H', 0x1a};
constexpr std::uint32_t FirstFormat = 1;
constexpr std::size_t EntryBytes = 1 + 8 + 32 + 8 + 32 + 8 + 8 + 8;
constexpr int PatchEntryCount = UpdateFileCount - 1;
constexpr std::size_t MaxTableBytes =
    sizeof Magic + 4 + 1 +
    PatchMaxSets *
        (1 + PatchMaxVersions * (1 + PatchMaxVersionLength) + 1 + PatchEntryCount * EntryBytes) +
    32;
// update.dat counts in 32 bits; so does anything a patch makes or patches.
constexpr std::uint64_t MaxFileBytes = std::numeric_limits<std::uint32_t>::max();

struct Reader {
    const unsigned char* at;
    const unsigned char* end;

    bool bytes(void* out, std::size_t count) {
        if (static_cast<std::size_t>(end - at) < count) {
            return false;
        }
        std::memcpy(out, at, count);
        at += count;
        return true;
    }
    bool number(std::uint64_t& value, int width) {
        unsigned char raw[8] = {};
        if (!bytes(raw, static_cast<std::size_t>(width))) {
            return false;
        }
        value = 0;
        for (int i = width - 1; i >= 0; --i) {
            value = value << 8 | raw[i];
        }
        return true;
    }
};

void putNumber(std::string& out, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out += static_cast<char>(value >> (8 * i));
    }
}

bool fail(std::string& why, std::string text) {
    why = std::move(text);
    return false;
}

bool readEntry(Reader& in, PatchEntry& entry, std::uint32_t format, std::string& why) {
    std::uint64_t kind = 0;
    if (!in.number(kind, 1) || !in.number(entry.baseSize, 8) ||
        !in.bytes(entry.baseDigest.data(), 32) || !in.number(entry.resultSize, 8) ||
        !in.bytes(entry.resultDigest.data(), 32) ||
        (format != FirstFormat && !in.number(entry.storedAt, 8)) ||
        !in.number(entry.storedBytes, 8) || !in.number(entry.rawBytes, 8)) {
        return fail(why, "its table is cut short");
    }
    if (kind > 2) {
        return fail(why, "an entry is of an unknown kind");
    }
    entry.kind = static_cast<PatchKind>(kind);
    if (entry.baseSize > MaxFileBytes || entry.resultSize > MaxFileBytes) {
        return fail(why, "an entry's size is out of range");
    }
    switch (entry.kind) {
    case PatchKind::Unchanged:
        if (entry.storedAt != 0 || entry.storedBytes != 0 || entry.rawBytes != 0 ||
            entry.baseSize != entry.resultSize || entry.baseDigest != entry.resultDigest) {
            return fail(why, "an unchanged entry is not its base");
        }
        break;
    case PatchKind::Delta:
        if (entry.rawBytes == 0 || entry.rawBytes > PatchMaxDeltaBytes || entry.storedBytes == 0) {
            return fail(why, "a delta's size is out of range");
        }
        if (entry.baseSize > VcdiffMaxBaseBytes) {
            return fail(why, "a delta's base is larger than 32 MiB");
        }
        break;
    case PatchKind::Whole:
        if (entry.rawBytes != entry.resultSize || entry.storedBytes == 0) {
            return fail(why, "a whole entry's size is not its result's");
        }
        break;
    }
    return true;
}

bool readSet(Reader& in, std::uint32_t format, PatchSet& set, std::string& why) {
    std::uint64_t versions = 0;
    if (!in.number(versions, 1) || versions == 0 || versions > PatchMaxVersions) {
        return fail(why, "it names no version it fits");
    }
    for (std::uint64_t v = 0; v < versions; ++v) {
        std::uint64_t size = 0;
        char text[PatchMaxVersionLength] = {};
        if (!in.number(size, 1) || size > PatchMaxVersionLength || !in.bytes(text, size) ||
            !isPatchVersion(std::string(text, size))) {
            return fail(why, "a version it fits is no version number");
        }
        set.versions.emplace_back(text, size);
    }
    std::uint64_t entries = 0;
    if (!in.number(entries, 1) || entries != PatchEntryCount) {
        return fail(why, "its table does not have " + std::to_string(PatchEntryCount) + " entries");
    }
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (!isReadmeEntry(i) && !readEntry(in, set.entries[i], format, why)) {
            return false;
        }
    }
    return true;
}

// Every stored byte belongs to exactly one stream, which any number of entries may
// name: nothing hides between the streams, and no two overlap.
bool placeStoredBytes(PatchTable& table, std::uint64_t start, std::uint64_t length,
                      std::string& why) {
    const std::uint64_t room = length - start;
    if (table.format == FirstFormat) {
        std::uint64_t at = 0;
        for (int i = 0; i < UpdateFileCount; ++i) {
            PatchEntry& entry = table.sets.front().entries[i];
            if (!isReadmeEntry(i)) {
                entry.storedAt = at;
                at += std::min(entry.storedBytes, room);
            }
        }
    }
    std::vector<std::pair<std::uint64_t, std::uint64_t>> streams;
    for (PatchSet& set : table.sets) {
        for (int i = 0; i < UpdateFileCount; ++i) {
            PatchEntry& entry = set.entries[i];
            if (isReadmeEntry(i)) {
                continue;
            }
            if (entry.storedAt > room || entry.storedBytes > room - entry.storedAt) {
                return fail(why, "it is cut short");
            }
            entry.offset = start + entry.storedAt;
            if (entry.storedBytes != 0) {
                streams.emplace_back(entry.storedAt, entry.storedBytes);
            }
        }
    }
    std::sort(streams.begin(), streams.end());
    streams.erase(std::unique(streams.begin(), streams.end()), streams.end());
    std::uint64_t end = 0;
    for (const auto& [at, bytes] : streams) {
        if (at != end) {
            return fail(why,
                        at < end ? "its stored bytes overlap" : "it holds bytes no entry names");
        }
        end = at + bytes;
    }
    if (end != room) {
        return fail(why, "it is longer than its table says");
    }
    return true;
}

enum class Inflated { Done, Corrupt, WriteFailed };

// The entry's stored bytes, inflated and handed to out in pieces; Corrupt unless
// the stream ends exactly at its stored length with exactly its raw length.
template <typename Out>
Inflated inflateEntry(File& patch, const PatchEntry& entry,
                      std::unique_ptr<unsigned char[]>& buffer, Out&& out) {
    if (!patch.seek(static_cast<std::int64_t>(entry.offset))) {
        return Inflated::Corrupt;
    }
    constexpr std::size_t InBytes = std::size_t{64} << 10;
    constexpr std::size_t OutBytes = std::size_t{256} << 10;
    if (!buffer) {
        buffer.reset(new (std::nothrow) unsigned char[InBytes + OutBytes]);
    }
    unsigned char* const input = buffer.get();
    if (input == nullptr) {
        return Inflated::WriteFailed;
    }
    unsigned char* const output = input + InBytes;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return Inflated::WriteFailed;
    }
    std::uint64_t unread = entry.storedBytes;
    std::uint64_t produced = 0;
    Inflated result = Inflated::Corrupt;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (stream.avail_in == 0) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(unread, InBytes));
            if (want == 0 || patch.read(input, want) != want) {
                break;
            }
            unread -= want;
            stream.next_in = input;
            stream.avail_in = static_cast<uInt>(want);
        }
        stream.next_out = output;
        stream.avail_out = static_cast<uInt>(OutBytes);
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            break;
        }
        const std::size_t got = OutBytes - stream.avail_out;
        if (got > entry.rawBytes - produced) {
            break;
        }
        produced += got;
        if (got > 0 && !out(output, got)) {
            result = Inflated::WriteFailed;
            break;
        }
    }
    if (status == Z_STREAM_END && stream.avail_in == 0 && unread == 0 &&
        produced == entry.rawBytes) {
        result = Inflated::Done;
    }
    inflateEnd(&stream);
    return result;
}

PatchApplyResult applyResult(PatchApplyStatus status, std::string message) {
    return {status, std::move(message)};
}

} // namespace

std::string versionNumberOf(const char* recordVersion) {
    if (recordVersion == nullptr) {
        return {};
    }
    const char* p = recordVersion;
    while (*p != '\0' && !std::isdigit(static_cast<unsigned char>(*p))) {
        ++p;
    }
    std::string number;
    while (std::isdigit(static_cast<unsigned char>(*p)) || *p == '.') {
        number += *p++;
    }
    while (!number.empty() && number.back() == '.') {
        number.pop_back();
    }
    return number;
}

bool isPatchVersion(const std::string& text) {
    return !text.empty() && text.size() <= PatchMaxVersionLength &&
           std::isdigit(static_cast<unsigned char>(text.front())) &&
           std::isdigit(static_cast<unsigned char>(text.back())) &&
           std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isdigit(c) || c == '.'; });
}

bool PatchSet::fits(const char* recordVersion) const {
    const std::string number = versionNumberOf(recordVersion);
    return std::find(versions.begin(), versions.end(), number) != versions.end();
}

std::optional<PatchTable> readPatchTable(File& patch, std::int64_t length, std::string& why) {
    if (length < 0 || !patch.seek(0)) {
        fail(why, "it cannot be read");
        return std::nullopt;
    }
    std::vector<unsigned char> table(
        static_cast<std::size_t>(std::min<std::int64_t>(length, MaxTableBytes)));
    const std::size_t count = patch.read(table.data(), table.size());
    Reader in{table.data(), table.data() + count};
    unsigned char magic[sizeof Magic] = {};
    std::uint64_t format = 0;
    if (!in.bytes(magic, sizeof magic) || std::memcmp(magic, Magic, sizeof Magic) != 0 ||
        !in.number(format, 4)) {
        fail(why, "it is not a patch package");
        return std::nullopt;
    }
    if (format != FirstFormat && format != PatchFormatVersion) {
        fail(why, "its format " + std::to_string(format) + " is not one this program reads");
        return std::nullopt;
    }
    PatchTable result;
    result.format = static_cast<std::uint32_t>(format);
    std::uint64_t sets = 1;
    if (format != FirstFormat &&
        (!in.number(sets, 1) || sets == 0 || sets > static_cast<std::uint64_t>(PatchMaxSets))) {
        fail(why, "its number of sets is out of range");
        return std::nullopt;
    }
    result.sets.resize(static_cast<std::size_t>(sets));
    for (PatchSet& set : result.sets) {
        if (!readSet(in, result.format, set, why)) {
            return std::nullopt;
        }
    }
    const std::size_t tableBytes = static_cast<std::size_t>(in.at - table.data());
    Sha256Digest listed{};
    Sha256Digest actual{};
    Sha256 hash;
    hash.add(table.data(), tableBytes);
    if (!in.bytes(listed.data(), listed.size()) || !hash.finish(actual) || actual != listed) {
        fail(why, "its table does not match its own SHA-256");
        return std::nullopt;
    }
    if (!placeStoredBytes(result, tableBytes + listed.size(), static_cast<std::uint64_t>(length),
                          why)) {
        return std::nullopt;
    }
    return result;
}

bool baseMatches(const PatchEntry& entry, File& base, bool& readFailed) {
    readFailed = false;
    if (!base.seek(0, File::From::End)) {
        readFailed = true;
        return false;
    }
    const std::int64_t size = base.tell();
    if (size < 0 || !base.seek(0)) {
        readFailed = true;
        return false;
    }
    if (static_cast<std::uint64_t>(size) != entry.baseSize) {
        return false;
    }
    const std::optional<Sha256Digest> digest = digestOfBytes(base, entry.baseSize);
    readFailed = !digest;
    return digest && *digest == entry.baseDigest;
}

namespace {

// The result hashed on its way to the staged file, or only hashed without one.
class HashingSink final : public VcdiffSink {
  public:
    explicit HashingSink(File* stream) : file(stream) {}
    bool write(const unsigned char* data, std::size_t size) override {
        hash.add(data, size);
        return file == nullptr || file->write(data, size);
    }
    Sha256 hash;

  private:
    File* file;
};

} // namespace

PatchApplyResult applyPatchEntry(File& patch, const PatchEntry& entry, File* base, File* target) {
    PatchWorkspace workspace;
    return applyPatchEntry(patch, entry, base, target, workspace);
}

PatchApplyResult applyPatchEntry(File& patch, const PatchEntry& entry, File* base, File* target,
                                 PatchWorkspace& workspace) {
    if (entry.kind == PatchKind::Unchanged) {
        return {};
    }
    HashingSink sink(target);
    std::uint64_t written = 0;
    if (entry.kind == PatchKind::Whole) {
        const Inflated inflated = inflateEntry(patch, entry, workspace.inflating,
                                               [&](const unsigned char* data, std::size_t size) {
                                                   written += size;
                                                   return sink.write(data, size);
                                               });
        if (inflated == Inflated::WriteFailed) {
            return applyResult(PatchApplyStatus::WriteFailed, "the new file cannot be written");
        }
        if (inflated == Inflated::Corrupt) {
            return applyResult(PatchApplyStatus::PatchBad, "its stored bytes are corrupt");
        }
    } else {
        // Bounded by the table's check of rawBytes.
        std::unique_ptr<unsigned char[]> delta(new (std::nothrow) unsigned char[entry.rawBytes]);
        if (!delta) {
            return applyResult(PatchApplyStatus::WriteFailed, "out of memory");
        }
        std::uint64_t filled = 0;
        const Inflated inflated = inflateEntry(patch, entry, workspace.inflating,
                                               [&](const unsigned char* data, std::size_t size) {
                                                   std::memcpy(delta.get() + filled, data, size);
                                                   filled += size;
                                                   return true;
                                               });
        if (inflated != Inflated::Done) {
            return applyResult(inflated == Inflated::Corrupt ? PatchApplyStatus::PatchBad
                                                             : PatchApplyStatus::WriteFailed,
                               "its delta's stored bytes are corrupt");
        }
        if (base == nullptr) {
            return applyResult(PatchApplyStatus::BaseFailed, "the base file is not open");
        }
        workspace.base.attach(base, entry.baseSize);
        const VcdiffResult decoded =
            workspace.decoder.decode(delta.get(), static_cast<std::size_t>(entry.rawBytes),
                                     &workspace.base, sink, entry.resultSize);
        written = decoded.written;
        switch (decoded.status) {
        case VcdiffStatus::Done:
            break;
        case VcdiffStatus::Malformed:
        case VcdiffStatus::Unsupported:
            return applyResult(PatchApplyStatus::PatchBad, "its delta: " + decoded.message);
        case VcdiffStatus::SourceFailed:
            return applyResult(PatchApplyStatus::BaseFailed, decoded.message);
        case VcdiffStatus::WriteFailed:
            return applyResult(PatchApplyStatus::WriteFailed, decoded.message);
        }
    }
    Sha256Digest digest{};
    if (!sink.hash.finish(digest)) {
        return applyResult(PatchApplyStatus::WriteFailed, "the system's SHA-256 failed");
    }
    if (written != entry.resultSize || digest != entry.resultDigest) {
        return applyResult(PatchApplyStatus::PatchBad,
                           "the new file is not the size and SHA-256 the patch lists");
    }
    return {};
}

std::string patchTableBytes(const std::vector<PatchSet>& sets) {
    std::string out(reinterpret_cast<const char*>(Magic), sizeof Magic);
    putNumber(out, PatchFormatVersion, 4);
    putNumber(out, sets.size(), 1);
    for (const PatchSet& set : sets) {
        putNumber(out, set.versions.size(), 1);
        for (const std::string& version : set.versions) {
            putNumber(out, version.size(), 1);
            out += version;
        }
        putNumber(out, PatchEntryCount, 1);
        for (int i = 0; i < UpdateFileCount; ++i) {
            if (isReadmeEntry(i)) {
                continue;
            }
            const PatchEntry& entry = set.entries[i];
            putNumber(out, static_cast<std::uint8_t>(entry.kind), 1);
            putNumber(out, entry.baseSize, 8);
            out.append(reinterpret_cast<const char*>(entry.baseDigest.data()), 32);
            putNumber(out, entry.resultSize, 8);
            out.append(reinterpret_cast<const char*>(entry.resultDigest.data()), 32);
            putNumber(out, entry.storedAt, 8);
            putNumber(out, entry.storedBytes, 8);
            putNumber(out, entry.rawBytes, 8);
        }
    }
    Sha256 hash;
    hash.add(out.data(), out.size());
    Sha256Digest digest{};
    hash.finish(digest);
    out.append(reinterpret_cast<const char*>(digest.data()), digest.size());
    return out;
}
