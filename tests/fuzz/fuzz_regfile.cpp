// The registry file parser on arbitrary bytes: whatever it accepts must survive a
// write, parse again, read the written value back and keep every other value.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/regfile/regfile_document.h"

namespace {

const std::string Key = "HKEY_LOCAL_MACHINE\\Software\\Brackwater Ltd\\Tactico";
const std::string Name = "Version";
const std::string Text = "Version 3.84 \\ \"quoted\"";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RegFileDocument document;
    if (!parseRegFile(std::string(reinterpret_cast<const char*>(data), size), document)) {
        return 0;
    }
    const RegFileDocument before = document;
    std::string bytes, value;
    RegFileDocument after;
    bool sound = setRegString(document, Key, Name, Text) && serializeRegFile(document, bytes) &&
                 parseRegFile(bytes, after) && findRegString(after, Key, Name, value) &&
                 value == Text;
    // Only the value written may read differently now, and then only as Text.
    for (const RegFileKey& key : before.keys) {
        for (const RegFileValue& other : key.values) {
            std::string was, now;
            const bool had = findRegString(before, key.path, other.name, was);
            const bool has = findRegString(after, key.path, other.name, now);
            sound = sound && ((has == had && now == was) || (has && now == Text));
        }
    }
    if (!sound) {
        std::abort();
    }
    return 0;
}
