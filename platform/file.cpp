// The owning file's stream calls, the same on every system: only the 64-bit
// positions and the push to the disk under them are each backend's own.
#include <utility>

#include "platform/file_access.h"
#include "platform/file_io.h"
#include "platform/path_io.h"

std::size_t File::read(void* data, std::size_t size) {
    return stream_ == nullptr || size == 0 ? 0 : std::fread(data, 1, size, stream_);
}

bool File::failed() const {
    return stream_ == nullptr || std::ferror(stream_) != 0;
}

bool File::write(const void* data, std::size_t size) {
    return stream_ != nullptr && (size == 0 || std::fwrite(data, 1, size, stream_) == size);
}

bool File::seek(std::int64_t offset, From from) {
    return stream_ != nullptr &&
           seekFile(stream_, offset, from == From::Start ? SEEK_SET : SEEK_END);
}

std::int64_t File::tell() {
    return stream_ == nullptr ? -1 : tellFile(stream_);
}

bool File::flush() {
    return stream_ != nullptr && std::fflush(stream_) == 0;
}

bool File::sync() {
    return stream_ != nullptr && syncFile(stream_);
}

bool File::close() {
    if (stream_ == nullptr) {
        return true;
    }
    return std::fclose(std::exchange(stream_, nullptr)) == 0;
}

File openPath(const char* path, const char* mode) {
    return FileAccess::of(openFile(path, mode));
}

File fileOf(std::FILE* stream) {
    return FileAccess::of(stream);
}
