// The registry file parser on arbitrary bytes: whatever it accepts must survive a
// write, parse again, read the written value back and keep every other value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/regfile/regfile_document.h"

namespace {

const std::string Key = "HKEY_LOCAL_MACHINE\\Software\\Brackwater Ltd\\Tactico";
const std::string Name = "Version";
const std::string Text = "Version 3.84 \\ \"quoted\"";

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

using Reading = std::pair<bool, std::string>;

std::vector<Reading> readEveryOtherValue(const RegFileDocument& shape,
                                         const RegFileDocument& document) {
    std::vector<Reading> readings;
    for (const RegFileKey& key : shape.keys) {
        for (const RegFileValue& value : key.values) {
            if (sameIgnoringCase(key.path, Key) && sameIgnoringCase(value.name, Name)) {
                continue;
            }
            Reading reading;
            reading.first = findRegString(document, key.path, value.name, reading.second);
            readings.push_back(reading);
        }
    }
    return readings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RegFileDocument document;
    if (!parseRegFile(std::string_view(reinterpret_cast<const char*>(data), size), document)) {
        return 0;
    }
    std::string value;
    findRegString(document, Key, Name, value);
    const RegFileDocument before = document;
    const std::vector<Reading> others = readEveryOtherValue(before, before);

    std::string bytes;
    if (!setRegString(document, Key, Name, Text) || !serializeRegFile(document, bytes)) {
        std::abort();
    }
    RegFileDocument after;
    if (!parseRegFile(bytes, after) || !findRegString(after, Key, Name, value) || value != Text ||
        readEveryOtherValue(before, after) != others) {
        std::abort();
    }
    return 0;
}
