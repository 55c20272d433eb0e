#include "update/journal.h"

#include <sstream>

#include "update/file_list.h"

namespace {

constexpr const char* Heading = "Tactico update journal 2";
constexpr const char* Ending = "end";

// Exactly three tab-separated decimal numbers, as journalText writes them.
bool parseFields(const std::string& text, std::uint64_t (&fields)[3]) {
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && (at >= text.size() || text[at++] != '\t')) {
            return false;
        }
        const std::size_t start = at;
        std::uint64_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 18) {
            value = value * 10 + static_cast<std::uint64_t>(text[at++] - '0');
        }
        if (at == start) {
            return false;
        }
        fields[i] = value;
    }
    return at == text.size();
}

} // namespace

std::string journalText(const Journal& journal) {
    std::ostringstream text;
    text << Heading << '\n';
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
        } else if (key == "entry") {
            std::uint64_t fields[3] = {};
            JournalEntry entry;
            if (!parseFields(value, fields) || fields[0] >= UpdateFileCount || seen[fields[0]] ||
                fields[1] > 1) {
                return std::nullopt;
            }
            entry.index = static_cast<int>(fields[0]);
            entry.hadOld = fields[1] == 1;
            entry.size = fields[2];
            seen[entry.index] = true;
            journal.entries.push_back(entry);
        } else {
            return std::nullopt;
        }
    }
    if (!ended || journal.entries.empty()) {
        return std::nullopt;
    }
    return journal;
}
