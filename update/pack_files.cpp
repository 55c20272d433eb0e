#include "update/pack_files.h"

#include <filesystem>
#include <system_error>

#include "platform/file_io.h"

std::FILE* createFresh(const char* path) {
    if (!removeEntry(path)) {
        return nullptr;
    }
    return createNewFile(path);
}

bool replaceWith(const char* source, const char* target) {
    std::error_code error;
    std::filesystem::rename(toFsPath(source), toFsPath(target), error);
    return !error;
}

void removeQuietly(const char* path) {
    const SystemErrorKept kept;
    removeEntry(path);
}

std::string temporaryPathFor(const char* target) {
    return std::string(target) + ".tmp-update";
}

CopyResult copyBytes(std::FILE* source, std::FILE* target, std::uint64_t count,
                     unsigned char* buffer, Sha256* hash) {
    while (count > 0) {
        const std::size_t chunk =
            count < CopyBufferBytes ? static_cast<std::size_t>(count) : CopyBufferBytes;
        if (std::fread(buffer, 1, chunk, source) != chunk) {
            return CopyResult::SourceShort;
        }
        if (hash != nullptr) {
            hash->add(buffer, chunk);
        }
        if (std::fwrite(buffer, 1, chunk, target) != chunk) {
            return CopyResult::WriteFailed;
        }
        count -= chunk;
    }
    return CopyResult::Done;
}

std::optional<Sha256Digest> digestOfFile(const char* path) {
    std::FILE* file = openFile(path, "rb");
    const auto buffer = makeCopyBuffer();
    if (file == nullptr || !buffer) {
        if (file != nullptr) {
            std::fclose(file);
        }
        return std::nullopt;
    }
    Sha256 hash;
    std::size_t got = 0;
    while ((got = std::fread(buffer.get(), 1, CopyBufferBytes, file)) > 0) {
        hash.add(buffer.get(), got);
    }
    const bool whole = std::ferror(file) == 0;
    std::fclose(file);
    Sha256Digest digest{};
    if (!whole || !hash.finish(digest)) {
        return std::nullopt;
    }
    return digest;
}
