#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

bool seekFile(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t tellFile(std::FILE* file) {
    return static_cast<std::int64_t>(ftello(file));
}

bool syncFile(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

void adviseSequential(std::FILE* file) {
    posix_fadvise(fileno(file), 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::filesystem::path toFsPath(const char* text) {
    return std::filesystem::path(text);
}

std::string fromFsPath(const std::filesystem::path& path) {
    return path.string();
}
