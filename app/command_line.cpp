#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <string>
#include <vector>

#include "update/patch_file.h"
#include "update/publisher_keys.h"
#include "wizard/language_codes.h"

namespace {

// Words separated by blanks; double quotes group blanks into a word and are
// dropped. A backslash is an ordinary character, so "C:\Games\" stays a folder.
std::vector<std::string> splitWords(const char* text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char* p = text; *p != '\0'; ++p) {
        const char c = *p;
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
            if (inWord) {
                words.push_back(word);
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isOption(const std::string& word) {
    return word.starts_with("/") || word.starts_with("--");
}

// "/dir=C:\x" -> prefix and name "/dir", value "C:\x", hasValue.
struct OptionWord {
    std::string name;
    std::string value;
    bool hasValue = false;
};

OptionWord splitOption(const std::string& word) {
    const std::size_t prefix = word.starts_with("--") ? 2 : 1;
    const std::size_t equals = word.find('=');
    OptionWord option;
    option.name = word.substr(0, equals);
    if (equals != std::string::npos) {
        option.value = word.substr(equals + 1);
        option.hasValue = true;
    }
    option.name = option.name.substr(0, prefix) + lowered(option.name.substr(prefix));
    return option;
}

// Applies one option; returns the reason it is refused, or an empty text.
std::string apply(RunOptions& options, const OptionWord& option) {
    const std::string name = option.name.substr(option.name.starts_with("--") ? 2 : 1);
    const auto withoutValue = [&](bool& flag) -> std::string {
        if (option.hasValue) {
            return option.name + " takes no value";
        }
        flag = true;
        return {};
    };
    const auto requireValue = [&]() -> std::string {
        return option.value.empty() ? option.name + " needs a value: " + option.name + "=..."
                                    : std::string();
    };

    if (name == "silent") {
        return withoutValue(options.silent);
    }
    if (name == "deletequickstart") {
        return withoutValue(options.deleteQuickStart);
    }
    if (name == "check") {
        return withoutValue(options.check);
    }
    if (name == "list") {
        return withoutValue(options.list);
    }
    if (name == "help" || name == "?") {
        return withoutValue(options.help);
    }
    if (name == "lang") {
        const int language = languageFromCode(option.value.c_str());
        if (language < 0) {
            return "unknown language \"" + option.value +
                   "\": use eng, esp, fra, ita, nor, por, sve or dut";
        }
        options.language = language;
        return {};
    }
    if (name == "dir") {
        if (std::string missing = requireValue(); !missing.empty()) {
            return missing;
        }
        std::string folder = option.value;
        // "C:\Games\Tactico\" and "C:\Games\Tactico" are the same folder; the
        // wizard adds its own separator. A bare drive ("C:\") keeps "C:".
        while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
            folder.pop_back();
        }
        options.installFolder = folder;
        return {};
    }
    // The n-th /base and the n-th /baseversion make one base, whichever comes first.
    const auto firstWithout = [&](auto PatchBase::*part) -> PatchBase& {
        const auto without = std::find_if(options.patchBases.begin(), options.patchBases.end(),
                                          [&](const PatchBase& b) { return (b.*part).empty(); });
        return without != options.patchBases.end() ? *without : options.patchBases.emplace_back();
    };
    if (name == "base") {
        if (std::string missing = requireValue(); !missing.empty()) {
            return missing;
        }
        firstWithout(&PatchBase::package).package = option.value;
        return {};
    }
    if (name == "baseversion") {
        std::vector<std::string>& versions = firstWithout(&PatchBase::versions).versions;
        std::size_t at = 0;
        while (at <= option.value.size()) {
            const std::size_t comma = std::min(option.value.find(',', at), option.value.size());
            const std::string version = option.value.substr(at, comma - at);
            if (!isPatchVersion(version)) {
                return option.name + ": \"" + version + "\" is no version number like 3.69";
            }
            if (std::find(versions.begin(), versions.end(), version) == versions.end()) {
                versions.push_back(version);
            }
            at = comma + 1;
        }
        if (versions.size() > PatchMaxVersions) {
            return option.name + ": at most " + std::to_string(PatchMaxVersions) + " versions";
        }
        return {};
    }
    if (name == "log") {
        if (std::string missing = requireValue(); !missing.empty()) {
            return missing;
        }
        options.logPath = option.value;
        return {};
    }
    return "unknown option " + option.name;
}

} // namespace

RunOptions parseCommandLine(const char* text) {
    RunOptions options;
    if (text == nullptr) {
        return options;
    }
    bool othersThanListing = false;
    for (const std::string& word : splitWords(text)) {
        if (!isOption(word)) {
            options.pack = options.pack || word.find("-pack") != std::string::npos;
            options.list = options.list || word == "-list";
            continue;
        }
        // "--pack" and the like keep asking for pack mode, as any word with
        // "-pack" did; only a value is no request. The test is on the name as
        // typed: "--PACK" is an unknown option, not a request.
        if (word.substr(0, word.find('=')).find("-pack") != std::string::npos) {
            options.pack = true;
            continue;
        }
        const OptionWord option = splitOption(word);
        const std::string name = option.name.substr(option.name.starts_with("--") ? 2 : 1);
        othersThanListing = othersThanListing || (name != "list" && name != "silent");
        if (std::string refused = apply(options, option);
            !refused.empty() && options.error.empty()) {
            options.error = refused;
        }
    }
    const bool base = !options.patchBases.empty();
    if (options.error.empty() && std::ranges::any_of(options.patchBases, [](const PatchBase& b) {
            return b.package.empty() || b.versions.empty();
        })) {
        options.error = "/base and /baseversion go together: each /base=FILE followed by its "
                        "/baseversion=LIST";
    }
    if (options.error.empty() && options.patchBases.size() > PatchMaxSets) {
        options.error = "at most " + std::to_string(PatchMaxSets) + " /base packages";
    }
    if (options.error.empty() && base && !options.pack) {
        options.error = "/base and /baseversion are options of -pack";
    }
    if (options.error.empty() && options.check && options.pack) {
        options.error = "/check is no option of -pack: it checks an update";
    }
    if (options.list) {
        // Only /silent may come with it: whatever else is asked is not done.
        RunOptions listing;
        listing.list = true;
        listing.silent = true;
        listing.error = options.error;
        if (listing.error.empty() && (othersThanListing || options.pack)) {
            listing.error = "-list takes no other option";
        }
        return listing;
    }
    return options;
}

namespace {

const char* usageHead() {
    return "Usage: tactico-update [options]\n"
           "       tactico-update -pack [/base=FILE /baseversion=VERSION[,...]]...\n"
           "                            [/silent] [/log=FILE]\n"
           "       tactico-update -list\n"
           "\n"
           "Without options the update wizard opens in its window. Options are written\n"
           "/name or --name (with =value where one is needed), in any case:\n"
           "  /silent            no window: answer each screen as a user would and\n"
           "                     report each step on standard output\n"
           "  /lang=LANGUAGE     eng, esp, fra, ita, nor, por, sve or dut; without it,\n"
           "                     /silent takes the system's language, else eng\n"
           "  /dir=FOLDER        the game's folder, instead of the installation record's\n"
           "  /log=FILE          append a log of this run to FILE\n"
           "  /deletequickstart  delete the old quick-start games (default: keep them)\n"
           "  /check             only check: run every check the update makes, reading\n"
           "                     every file it would use, write nothing, and end with\n"
           "                     the exit code the update would give\n"
           "  /help, /?          this text\n"
           "  -pack              build update.dat from the files in the current folder\n"
           "  /base=FILE         with -pack: also build update.patch against FILE, the\n"
           "                     update.dat of a release being patched (needs xdelta3);\n"
           "                     one /base for each earlier release\n"
           "  /baseversion=LIST  after each /base: the versions it fits, as in 3.69,3.70\n"
           "  -list              print what update.dat, update.patch and the digest file\n"
           "                     in the current folder hold, and whether they agree\n"
           "\n"
           "Exit codes of /silent, /check, -pack /silent and -list:\n"
           "  0  updated (or packed; with /check: it would update; -list: all agree)\n"
           "  1  installation not found\n"
           "  2  update.dat (or update.patch) or the language's readme missing, cut,\n"
           "     corrupt or unsigned (-list: what it lists does not agree)\n"
           "  3  an installation file or the record could not be written (nothing changed)\n"
           "  4  bad command line, or the log cannot be opened\n"
           "  5  packing failed\n"
           "  6  the program could not start (its fonts are missing beside it)\n"
           "  7  only update.patch is there, and it is for another version\n"
           "  8  only update.patch is there, and an installation file is not the one\n"
           "     it was made against (reinstall the game)\n";
}

// Whether this program checks publisher signatures, and against which keys.
std::string signatureText() {
    const std::span<const PublisherKey> keys = builtInPublisherKeys();
    if (keys.empty()) {
        return "\nPublisher signatures: not checked (built without a publisher key).\n";
    }
    std::string text = "\nPublisher signatures: checked. update.dat.sha256 must be signed\n"
                       "(update.dat.sha256.sig) by one of these keys, named by the SHA-256\n"
                       "of their DER form:\n";
    for (const PublisherKey& key : keys) {
        text += "  " + std::string(key.fingerprint) + "  " + key.name + "\n";
    }
    return text;
}

} // namespace

const char* usageText() {
    static const std::string text = std::string(usageHead()) + signatureText();
    return text.c_str();
}
