#include "update/copy_bytes.h"

#include <cstdio>
#include <new>

#include "platform/file_io.h"
#include "platform/sha256.h"

std::unique_ptr<unsigned char[]> makeCopyBuffer() {
    return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[CopyBufferBytes]);
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

void removeQuietly(const char* path) {
    const SystemErrorKept kept;
    removeEntry(path);
}

std::string temporaryPathFor(const char* target) {
    return std::string(target) + ".tmp-update";
}
