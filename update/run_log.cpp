#include "update/run_log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace {

std::FILE* logFile = nullptr;

} // namespace

bool openRunLog(const char* path) {
    closeRunLog();
    logFile = std::fopen(path, "a");
    return logFile != nullptr;
}

void closeRunLog() {
    if (logFile != nullptr) {
        std::fclose(logFile);
        logFile = nullptr;
    }
}

bool runLogOpen() {
    return logFile != nullptr;
}

void runLog(const char* format, ...) {
    if (logFile == nullptr) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    }
    std::fprintf(logFile, "%s ", stamp);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(logFile, format, arguments);
    va_end(arguments);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}
