#include "wizard/language_codes.h"

#include <cctype>
#include <cstring>
#include <iterator>

namespace {

constexpr const char* Codes[] = {"eng", "esp", "fra", "ita", "nor", "por", "sve", "dut"};

// ISO 639-1 names in Language order; Norwegian has three (macro, Bokmål, Nynorsk).
struct LocaleLanguage {
    const char* name;
    int language;
};
constexpr LocaleLanguage LocaleLanguages[] = {
    {"en", 0}, {"es", 1}, {"fr", 2}, {"it", 3}, {"no", 4},
    {"nb", 4}, {"nn", 4}, {"pt", 5}, {"sv", 6}, {"nl", 7},
};

bool sameIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

} // namespace

int languageFromCode(const char* code) {
    for (int language = 0; language < static_cast<int>(std::size(Codes)); ++language) {
        if (code != nullptr && sameIgnoringCase(code, Codes[language])) {
            return language;
        }
    }
    return -1;
}

const char* languageCode(int language) {
    return language >= 0 && language < static_cast<int>(std::size(Codes)) ? Codes[language] : "?";
}

int languageFromLocaleName(const char* locale) {
    if (locale == nullptr) {
        return -1;
    }
    const std::size_t length = std::strcspn(locale, "_.@");
    if (length != 2) {
        return -1;
    }
    const char name[3] = {static_cast<char>(std::tolower(static_cast<unsigned char>(locale[0]))),
                          static_cast<char>(std::tolower(static_cast<unsigned char>(locale[1]))),
                          '\0'};
    for (const LocaleLanguage& entry : LocaleLanguages) {
        if (std::strcmp(name, entry.name) == 0) {
            return entry.language;
        }
    }
    return -1;
}
