#include "update/pack_patch.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <utility>
#include <vector>
#include <zlib.h>

#include "platform/process.h"
#include "platform/run_log.h"
#include "update/digest.h"
#include "update/file_list.h"
#include "update/pack_files.h"
#include "update/package.h"
#include "update/vcdiff.h"

namespace {

std::int64_t fileLength(std::FILE* file) {
    return seekFile(file, 0, SEEK_END) ? tellFile(file) : -1;
}

// The base package's table, checked against its length as an update checks it.
bool readBaseTable(std::FILE* base, std::uint32_t (&counts)[UpdateFileCount]) {
    unsigned char table[PackageTableBytes];
    const std::int64_t length = fileLength(base);
    if (length < PackageTableBytes || !seekFile(base, 0, SEEK_SET) ||
        std::fread(table, sizeof table, 1, base) != 1) {
        return false;
    }
    std::string why;
    const std::optional<PackageTable> read = readPackageTable(table, length, why);
    if (read) {
        std::copy(std::begin(read->counts), std::end(read->counts), counts);
    }
    return read.has_value();
}

// The whole of source, deflated onto the end of out; its length in stored.
bool deflateFile(const std::string& source, std::FILE* out, std::uint64_t& stored) {
    std::FILE* in = openFile(source.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    constexpr std::size_t Bytes = std::size_t{256} << 10;
    std::unique_ptr<unsigned char[]> buffers(new (std::nothrow) unsigned char[2 * Bytes]);
    z_stream stream{};
    bool ok = buffers != nullptr && deflateInit(&stream, Z_BEST_COMPRESSION) == Z_OK;
    const bool begun = ok;
    stored = 0;
    int flush = Z_NO_FLUSH;
    while (ok && flush != Z_FINISH) {
        const std::size_t got = std::fread(buffers.get(), 1, Bytes, in);
        if (got < Bytes) {
            ok = std::ferror(in) == 0;
            flush = Z_FINISH;
        }
        stream.next_in = buffers.get();
        stream.avail_in = static_cast<uInt>(got);
        do {
            stream.next_out = buffers.get() + Bytes;
            stream.avail_out = static_cast<uInt>(Bytes);
            const int status = deflate(&stream, flush);
            const std::size_t made = Bytes - stream.avail_out;
            ok = ok && status != Z_STREAM_ERROR &&
                 std::fwrite(buffers.get() + Bytes, 1, made, out) == made;
            stored += made;
        } while (ok && stream.avail_out == 0);
    }
    if (begun) {
        deflateEnd(&stream);
    }
    std::fclose(in);
    return ok;
}

struct Measured {
    std::uint64_t size = 0;
    Sha256Digest digest{};
};

bool measureFile(const std::string& path, Measured& measured) {
    std::error_code error;
    const auto size = std::filesystem::file_size(toFsPath(path.c_str()), error);
    const auto digest = digestOfFile(path.c_str());
    if (error || !digest) {
        return false;
    }
    measured = {size, *digest};
    return true;
}

// Entry index of the base package, copied out to path.
bool extractBase(std::FILE* base, std::int64_t offset, std::uint32_t count, const std::string& path,
                 unsigned char* buffer) {
    std::FILE* out = openFile(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    bool ok =
        seekFile(base, offset, SEEK_SET) && copyBytes(base, out, count, buffer) == CopyResult::Done;
    return std::fclose(out) == 0 && ok;
}

class ScratchFolder {
  public:
    ScratchFolder() : path(createPrivateFolder("tactico-pack-")) {}
    ~ScratchFolder() {
        if (!path.empty()) {
            std::error_code error;
            std::filesystem::remove_all(toFsPath(path.c_str()), error);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string operator/(const char* name) const {
        return fromFsPath(toFsPath(path.c_str()) / name);
    }
    const std::string path;
};

struct Counts {
    int unchanged = 0;
    int deltas = 0;
    int whole = 0;
    int shared = 0; // of the deltas and whole, those naming bytes an earlier set stored
};

// The stored streams so far, by what they make: an entry that makes the same file
// from the same base, or carries the same file whole, names the stream already
// there instead of storing it again.
struct StoredStreams {
    std::map<std::pair<Sha256Digest, Sha256Digest>, PatchEntry> deltas; // by base and result
    std::map<Sha256Digest, PatchEntry> whole;                           // by result
    std::uint64_t bytes = 0;

    bool reuse(PatchEntry& entry) const {
        const auto delta = deltas.find({entry.baseDigest, entry.resultDigest});
        const auto same = whole.find(entry.resultDigest);
        const PatchEntry* stored = delta != deltas.end() ? &delta->second
                                   : same != whole.end() ? &same->second
                                                         : nullptr;
        if (stored == nullptr) {
            return false;
        }
        entry.kind = stored->kind;
        entry.storedAt = stored->storedAt;
        entry.storedBytes = stored->storedBytes;
        entry.rawBytes = stored->rawBytes;
        return true;
    }
    void add(const PatchEntry& entry) {
        if (entry.kind == PatchKind::Delta) {
            deltas.emplace(std::pair{entry.baseDigest, entry.resultDigest}, entry);
        } else {
            whole.emplace(entry.resultDigest, entry);
        }
        bytes += entry.storedBytes;
    }
};

// Every entry but the readme against one base package: its base measured against
// the new file (now), and its raw bytes (a delta or the new file) deflated onto
// payloads unless an earlier set stored the same.
bool packEntries(std::FILE* base, const std::uint32_t (&counts)[UpdateFileCount],
                 const Measured (&now)[UpdateFileCount], const ScratchFolder& scratch,
                 std::FILE* payloads, StoredStreams& stored, PatchSet& set, Counts& made) {
    auto buffer = makeCopyBuffer();
    if (!buffer) {
        return false;
    }
    const std::string basePath = scratch / "base";
    const std::string deltaPath = scratch / "delta";
    std::int64_t offset = PackageTableBytes;
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (isReadmeEntry(i)) {
            continue;
        }
        const char* name = UpdateFileList[i].name;
        PatchEntry& entry = set.entries[i];
        Measured was;
        if (!extractBase(base, offset, counts[i], basePath, buffer.get()) ||
            !measureFile(basePath, was)) {
            runLog("Packing the patch: cannot copy %s out of the base package", name);
            return false;
        }
        offset += counts[i];
        entry.baseSize = was.size;
        entry.baseDigest = was.digest;
        entry.resultSize = now[i].size;
        entry.resultDigest = now[i].digest;
        if (was.size == now[i].size && was.digest == now[i].digest) {
            entry.kind = PatchKind::Unchanged;
            ++made.unchanged;
            continue;
        }
        if (stored.reuse(entry)) {
            ++made.shared;
            ++(entry.kind == PatchKind::Delta ? made.deltas : made.whole);
            continue;
        }
        // A source window as large as the base lets every part of it be matched, and
        // spares xdelta3 setting up its 64 MiB default for a small file.
        const std::string window = std::to_string(std::max<std::uint64_t>(was.size, 524288));
        const int code = runProgram({"xdelta3", "-e", "-9", "-S", "none", "-A", "-B", window, "-f",
                                     "-s", basePath, name, deltaPath});
        if (code < 0) {
            runLog("Packing the patch needs xdelta3, which cannot be started: install it "
                   "(Debian: apt-get install xdelta3) or put it on the PATH");
            return false;
        }
        Measured delta;
        if (code != 0 || !measureFile(deltaPath, delta)) {
            runLog("Packing the patch: xdelta3 failed on %s (exit code %d)", name, code);
            return false;
        }
        const bool useDelta = delta.size < now[i].size && delta.size <= PatchMaxDeltaBytes &&
                              was.size <= VcdiffMaxBaseBytes;
        entry.kind = useDelta ? PatchKind::Delta : PatchKind::Whole;
        entry.rawBytes = useDelta ? delta.size : now[i].size;
        entry.storedAt = stored.bytes;
        ++(useDelta ? made.deltas : made.whole);
        if (!deflateFile(useDelta ? deltaPath : std::string(name), payloads, entry.storedBytes)) {
            runLog("Packing the patch: cannot compress %s", name);
            return false;
        }
        stored.add(entry);
    }
    return true;
}

std::string versionsText(const std::vector<std::string>& versions) {
    std::string text;
    for (const std::string& version : versions) {
        text += (text.empty() ? "" : ",") + version;
    }
    return text;
}

// One set against the base package of base.
bool packSet(const PatchBase& base, const Measured (&now)[UpdateFileCount],
             const ScratchFolder& scratch, std::FILE* payloads, StoredStreams& stored,
             PatchSet& set) {
    std::FILE* package = openFile(base.package.c_str(), "rb");
    if (package == nullptr) {
        runLog("Packing the patch: cannot open the base package %s: %s", base.package.c_str(),
               systemErrorText().c_str());
        return false;
    }
    std::uint32_t counts[UpdateFileCount] = {};
    if (!readBaseTable(package, counts)) {
        std::fclose(package);
        runLog("Packing the patch: %s is not a whole update package", base.package.c_str());
        return false;
    }
    set.versions = base.versions;
    Counts made;
    const bool ok = packEntries(package, counts, now, scratch, payloads, stored, set, made);
    std::fclose(package);
    if (ok) {
        runLog("Packed %s for version %s: %d entries as deltas, %d whole, %d unchanged; %d of "
               "them the bytes of an earlier release's",
               PatchFileName, versionsText(base.versions).c_str(), made.deltas, made.whole,
               made.unchanged, made.shared);
    }
    return ok;
}

} // namespace

bool packPatch(const PatchPackOptions& options, const char* temporaryPath) {
    Measured now[UpdateFileCount];
    for (int i = 0; i < UpdateFileCount; ++i) {
        if (!isReadmeEntry(i) && !measureFile(UpdateFileList[i].name, now[i])) {
            runLog("Packing the patch: cannot read %s", UpdateFileList[i].name);
            return false;
        }
    }
    const ScratchFolder scratch;
    if (scratch.path.empty()) {
        runLog("Packing the patch: cannot make a temporary folder: %s", systemErrorText().c_str());
        return false;
    }
    const std::string payloadPath = scratch / "payloads";
    std::FILE* payloads = openFile(payloadPath.c_str(), "w+b");
    std::vector<PatchSet> sets(options.bases.size());
    StoredStreams stored;
    bool ok = payloads != nullptr && !options.bases.empty() &&
              options.bases.size() <= static_cast<std::size_t>(PatchMaxSets);
    for (std::size_t s = 0; ok && s < sets.size(); ++s) {
        ok = packSet(options.bases[s], now, scratch, payloads, stored, sets[s]);
    }

    std::FILE* patch = ok ? createFresh(temporaryPath) : nullptr;
    ok = patch != nullptr;
    if (ok) {
        const std::string table = patchTableBytes(sets);
        ok = std::fwrite(table.data(), 1, table.size(), patch) == table.size();
        auto buffer = makeCopyBuffer();
        ok = ok && buffer && fileLength(payloads) == static_cast<std::int64_t>(stored.bytes) &&
             seekFile(payloads, 0, SEEK_SET) &&
             copyBytes(payloads, patch, stored.bytes, buffer.get()) == CopyResult::Done;
        ok = syncFile(patch) && ok;
        ok = std::fclose(patch) == 0 && ok;
        if (ok) {
            runLog("Packed %s: %lld bytes for %d earlier release%s", PatchFileName,
                   static_cast<long long>(table.size() + stored.bytes),
                   static_cast<int>(sets.size()), sets.size() == 1 ? "" : "s");
        }
    }
    if (payloads != nullptr) {
        std::fclose(payloads);
    }
    return ok;
}
