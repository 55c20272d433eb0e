#include "platform/run_log.h"

#include <cstdarg>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace {

File logFile;
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
    const std::optional<Name> name =
        Name::of(cut == std::string::npos ? text : text.substr(cut + 1));
    if (!folder.isOpen() || !name) {
        return false;
    }
    logFile = appendFileIn(folder, *name);
    if (!logFile.isOpen()) {
        return false;
    }
    const std::string_view mark = utf8FileMark();
    if (!mark.empty() && logFile.seek(0, File::From::End) && logFile.tell() == 0) {
        logFile.write(mark.data(), mark.size());
        logFile.flush();
    }
    return true;
}

void closeRunLog() {
    logFile.close();
}

bool runLogOpen() {
    return logFile.isOpen() || echo != nullptr;
}

void setRunLogEcho(std::FILE* stream) {
    echo = stream;
}

void runLog(const char* format, ...) {
    if (!logFile.isOpen() && echo == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    const std::string line = formatted(format, arguments) + "\n";
    va_end(arguments);
    if (logFile.isOpen()) {
        const std::time_t now = std::time(nullptr);
        char stamp[32] = "";
        if (const std::tm* local = std::localtime(&now)) {
            std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", local);
        }
        logFile.write(stamp, std::strlen(stamp));
        logFile.write(line.data(), line.size());
        logFile.flush();
    }
    if (echo != nullptr) {
        writeStandardText(echo, line);
    }
}
