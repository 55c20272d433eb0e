#include "update/journal.h"

#include <sstream>

#include "update/file_list.h"

namespace {

constexpr const char* Heading = "Tactico update journal 1";
constexpr const char* Ending = "end";

} // namespace

std::string journalText(const Journal& journal) {
    std::ostringstream text;
    text << Heading << '\n';
    text << "version\t" << journal.versionText << '\n';
    text << "readme\t" << journal.readmeSource << '\n';
    for (const JournalEntry& entry : journal.entries) {
        text << "entry\t" << entry.index << '\t' << (entry.hadOld ? 1 : 0) << '\t' << entry.size
             << '\n';
    }
    text << Ending << '\n';
    return text.str();
}

std::optional<Journal> parseJournal(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != Heading) {
        return std::nullopt;
    }
    Journal journal;
    bool ended = false;
    bool seen[UpdateFileCount] = {};
    while (!ended && std::getline(lines, line)) {
        const std::size_t tab = line.find('\t');
        const std::string key = line.substr(0, tab);
        const std::string value = tab == std::string::npos ? "" : line.substr(tab + 1);
        if (key == Ending && tab == std::string::npos) {
            ended = true;
        } else if (key == "version") {
            journal.versionText = value;
        } else if (key == "readme") {
            journal.readmeSource = value;
        } else if (key == "entry") {
            std::istringstream fields(value);
            JournalEntry entry;
            int hadOld = -1;
            if (!(fields >> entry.index >> hadOld >> entry.size) || entry.index < 0 ||
                entry.index >= UpdateFileCount || seen[entry.index] ||
                (hadOld != 0 && hadOld != 1)) {
                return std::nullopt;
            }
            seen[entry.index] = true;
            entry.hadOld = hadOld == 1;
            journal.entries.push_back(entry);
        } else {
            return std::nullopt;
        }
    }
    if (!ended || journal.versionText.empty()) {
        return std::nullopt;
    }
    return journal;
}
