#include "platform/file_io.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>
#endif

bool seekFile(std::FILE* file, std::int64_t offset, int origin) {
#if defined(_WIN32)
    return _fseeki64(file, offset, origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

std::int64_t tellFile(std::FILE* file) {
#if defined(_WIN32)
    return _ftelli64(file);
#else
    return static_cast<std::int64_t>(ftello(file));
#endif
}

bool syncFile(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
#if defined(_WIN32)
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

void adviseSequential(std::FILE* file) {
#if defined(__linux__)
    posix_fadvise(fileno(file), 0, 0, POSIX_FADV_SEQUENTIAL);
#else
    (void)file;
#endif
}
