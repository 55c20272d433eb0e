// The registry file parser on arbitrary bytes: whatever it accepts must survive a
// write, parse again, read the written value back and keep every other value.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/regfile/regfile_document.h"

namespace {

const std::string Key = "HKEY_LOCAL_MACHINE\\Software\\Brackwater Ltd\\Tactico";
const std::string Name = "Version";
const std::string Text = "Version 3.84 \\ \"quoted\"";

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

// Every value of shape but the one written, as document reads it.
std::vector<std::pair<bool, std::string>> readOthers(const RegFileDocument& shape,
                                                     const RegFileDocument& document) {
    std::vector<std::pair<bool, std::string>> readings;
    for (const RegFileKey& key : shape.keys) {
        for (const RegFileValue& value : key.values) {
            if (!sameIgnoringCase(key.path, Key) || !sameIgnoringCase(value.name, Name)) {
                auto& reading = readings.emplace_back();
                reading.first = findRegString(document, key.path, value.name, reading.second);
            }
        }
    }
    return readings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RegFileDocument document;
    if (!parseRegFile(std::string(reinterpret_cast<const char*>(data), size), document)) {
        return 0;
    }
    const RegFileDocument before = document;
    std::string bytes, value;
    RegFileDocument after;
    if (!setRegString(document, Key, Name, Text) || !serializeRegFile(document, bytes) ||
        !parseRegFile(bytes, after) || !findRegString(after, Key, Name, value) || value != Text ||
        readOthers(before, after) != readOthers(before, before)) {
        std::abort();
    }
    return 0;
}
