#include "platform/run_log.h"

#include <cstdarg>
#include <ctime>
#include <string>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace {

std::FILE* logFile = nullptr;
std::FILE* echo = nullptr;

std::string formatted(const char* format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.pop_back();
    return text;
}

} // namespace

bool openRunLog(const char* path) {
    closeRunLog();
    // Never a link, a FIFO or a device: the program may run elevated, and the
    // path may name a place an ordinary account prepared. Its folder is walked as
    // the game's is: a link on the way only where no other account could have put it.
    const std::string text = path;
    const std::size_t cut = text.find_last_of(PathSeparator == '\\' ? "\\/" : "/");
    const std::string folderPath = cut == std::string::npos ? "."
                                   : cut == 0               ? text.substr(0, 1)
                                                            : text.substr(0, cut);
    std::string why;
    const Folder folder = openInstallFolder(folderPath.c_str(), why);
    logFile = folder.isOpen()
                  ? appendFileIn(folder, text.c_str() + (cut == std::string::npos ? 0 : cut + 1))
                  : nullptr;
    if (logFile == nullptr) {
        return false;
    }
    const std::string_view mark = utf8FileMark();
    if (!mark.empty() && seekFile(logFile, 0, SEEK_END) && tellFile(logFile) == 0) {
        std::fwrite(mark.data(), 1, mark.size(), logFile);
        std::fflush(logFile);
    }
    return true;
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
    if (logFile == nullptr && echo == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    const std::string line = formatted(format, arguments) + "\n";
    va_end(arguments);
    if (logFile != nullptr) {
        const std::time_t now = std::time(nullptr);
        char stamp[32] = "";
        if (const std::tm* local = std::localtime(&now)) {
            std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", local);
        }
        std::fputs(stamp, logFile);
        std::fputs(line.c_str(), logFile);
        std::fflush(logFile);
    }
    if (echo != nullptr) {
        writeStandardText(echo, line);
    }
}
