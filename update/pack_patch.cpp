#include "update/pack_patch.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
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
};

// Every entry but the readme: its base and result measured, and its raw bytes
// (a delta or the new file) deflated onto payloads.
bool packEntries(std::FILE* base, const std::uint32_t (&counts)[UpdateFileCount],
                 const ScratchFolder& scratch, std::FILE* payloads,
                 std::array<PatchEntry, UpdateFileCount>& entries, Counts& made) {
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
        PatchEntry& entry = entries[i];
        Measured was;
        Measured now;
        if (!extractBase(base, offset, counts[i], basePath, buffer.get()) ||
            !measureFile(basePath, was)) {
            runLog("Packing the patch: cannot copy %s out of the base package", name);
            return false;
        }
        offset += counts[i];
        if (!measureFile(name, now)) {
            runLog("Packing the patch: cannot read %s", name);
            return false;
        }
        entry.baseSize = was.size;
        entry.baseDigest = was.digest;
        entry.resultSize = now.size;
        entry.resultDigest = now.digest;
        if (was.size == now.size && was.digest == now.digest) {
            entry.kind = PatchKind::Unchanged;
            ++made.unchanged;
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
        const bool useDelta = delta.size < now.size && delta.size <= PatchMaxDeltaBytes &&
                              was.size <= VcdiffMaxBaseBytes;
        entry.kind = useDelta ? PatchKind::Delta : PatchKind::Whole;
        entry.rawBytes = useDelta ? delta.size : now.size;
        ++(useDelta ? made.deltas : made.whole);
        if (!deflateFile(useDelta ? deltaPath : std::string(name), payloads, entry.storedBytes)) {
            runLog("Packing the patch: cannot compress %s", name);
            return false;
        }
    }
    return true;
}

} // namespace

bool packPatch(const PatchPackOptions& options, const char* temporaryPath) {
    std::FILE* base = openFile(options.basePackage.c_str(), "rb");
    if (base == nullptr) {
        runLog("Packing the patch: cannot open the base package %s: %s",
               options.basePackage.c_str(), systemErrorText().c_str());
        return false;
    }
    std::uint32_t counts[UpdateFileCount] = {};
    if (!readBaseTable(base, counts)) {
        std::fclose(base);
        runLog("Packing the patch: %s is not a whole update package", options.basePackage.c_str());
        return false;
    }
    const ScratchFolder scratch;
    if (scratch.path.empty()) {
        std::fclose(base);
        runLog("Packing the patch: cannot make a temporary folder: %s", systemErrorText().c_str());
        return false;
    }
    const std::string payloadPath = scratch / "payloads";
    std::FILE* payloads = openFile(payloadPath.c_str(), "w+b");
    std::array<PatchEntry, UpdateFileCount> entries{};
    Counts made;
    bool ok = payloads != nullptr && packEntries(base, counts, scratch, payloads, entries, made);
    std::fclose(base);

    std::FILE* patch = ok ? createFresh(temporaryPath) : nullptr;
    ok = patch != nullptr;
    if (ok) {
        const std::string table = patchTableBytes(options.baseVersions, entries);
        ok = std::fwrite(table.data(), 1, table.size(), patch) == table.size();
        const std::int64_t stored = fileLength(payloads);
        auto buffer = makeCopyBuffer();
        ok = ok && buffer && stored >= 0 && seekFile(payloads, 0, SEEK_SET) &&
             copyBytes(payloads, patch, static_cast<std::uint64_t>(stored), buffer.get()) ==
                 CopyResult::Done;
        ok = syncFile(patch) && ok;
        ok = std::fclose(patch) == 0 && ok;
        if (ok) {
            std::string versions;
            for (const std::string& version : options.baseVersions) {
                versions += (versions.empty() ? "" : ",") + version;
            }
            runLog("Packed %s for version %s: %lld bytes; %d entries as deltas, %d whole, %d "
                   "unchanged",
                   PatchFileName, versions.c_str(), static_cast<long long>(table.size() + stored),
                   made.deltas, made.whole, made.unchanged);
        }
    }
    if (payloads != nullptr) {
        std::fclose(payloads);
    }
    return ok;
}
