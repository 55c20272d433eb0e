#include "update/run_log.h"

#include <cstdarg>
#include <ctime>

#include "platform/file_io.h"

namespace {

std::FILE* logFile = nullptr;
std::FILE* echo = nullptr;

void writeLine(std::FILE* stream, const char* stamp, const char* format, va_list arguments) {
    if (stamp != nullptr) {
        std::fprintf(stream, "%s ", stamp);
    }
    std::vfprintf(stream, format, arguments);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

bool openRunLog(const char* path) {
    closeRunLog();
    // Never a link, a FIFO or a device: the program may run elevated, and the
    // path may name a place an ordinary account prepared.
    logFile = appendRegularFile(path);
    return logFile != nullptr;
}

void closeRunLog() {
    if (logFile != nullptr) {
        std::fclose(logFile);
        logFile = nullptr;
    }
}

bool runLogOpen() {
    return logFile != nullptr || echo != nullptr;
}

void setRunLogEcho(std::FILE* stream) {
    echo = stream;
}

void runLog(const char* format, ...) {
    if (logFile != nullptr) {
        const std::time_t now = std::time(nullptr);
        char stamp[32] = "";
        if (const std::tm* local = std::localtime(&now)) {
            std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
        }
        va_list arguments;
        va_start(arguments, format);
        writeLine(logFile, stamp, format, arguments);
        va_end(arguments);
    }
    if (echo != nullptr) {
        va_list arguments;
        va_start(arguments, format);
        writeLine(echo, nullptr, format, arguments);
        va_end(arguments);
    }
}
