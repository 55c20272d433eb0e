#include "platform/regfile/regfile_document.h"

namespace {

constexpr std::string_view Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view OldHeader = "REGEDIT4";

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Reads a quoted text starting at text[0] == '"', undoing the \\ and \" escapes.
// Leaves text just past the closing quote.
bool readQuoted(std::string_view& text, std::string& out) {
    out.clear();
    std::size_t i = 1;
    for (; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                return false;
            }
            ++i;
        }
        out += text[i];
    }
    if (i >= text.size()) {
        return false;
    }
    text.remove_prefix(i + 1);
    return true;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isDword(std::string_view data) {
    if (data.size() != 8) {
        return false;
    }
    for (char c : data) {
        if (!isHexDigit(c)) {
            return false;
        }
    }
    return true;
}

// One line of "hex:" or "hex(n):" bytes: "aa,bb,cc", possibly ending in ",\" to
// continue on the next line.
bool isHexBytes(std::string_view data, bool& continues) {
    data = trimmed(data);
    continues = !data.empty() && data.back() == '\\';
    if (continues) {
        data.remove_suffix(1);
        data = trimmed(data);
    }
    while (!data.empty()) {
        if (data.size() < 2 || !isHexDigit(data[0]) || !isHexDigit(data[1])) {
            return false;
        }
        data.remove_prefix(2);
        if (!data.empty()) {
            if (data.front() != ',') {
                return false;
            }
            data.remove_prefix(1);
        }
    }
    return true;
}

// Leaves data at the bytes of a hex value, or false when it is not one.
bool stripHexType(std::string_view& data) {
    if (!data.starts_with("hex")) {
        return false;
    }
    data.remove_prefix(3);
    if (data.starts_with("(")) {
        const std::size_t close = data.find(')');
        if (close == std::string_view::npos || close < 2) {
            return false;
        }
        for (std::size_t i = 1; i < close; ++i) {
            if (!isHexDigit(data[i])) {
                return false;
            }
        }
        data.remove_prefix(close + 1);
    }
    if (!data.starts_with(":")) {
        return false;
    }
    data.remove_prefix(1);
    return true;
}

// Parses the value starting at lines[index]; advances index past its last line.
bool parseValue(const std::vector<std::string>& lines, std::size_t& index, RegFileValue& value) {
    std::string_view text = trimmed(lines[index]);
    value.firstLine = index;
    value.lineCount = 1;
    value.isString = false;
    value.data.clear();
    if (text.front() == '@') {
        value.name.clear();
        text.remove_prefix(1);
    } else if (!readQuoted(text, value.name)) {
        return false;
    }
    text = trimmed(text);
    if (!text.starts_with("=")) {
        return false;
    }
    text = trimmed(text.substr(1));
    ++index;
    if (text.starts_with("\"")) {
        value.isString = true;
        return readQuoted(text, value.data) && trimmed(text).empty();
    }
    if (text.starts_with("dword:")) {
        return isDword(text.substr(6));
    }
    if (!stripHexType(text)) {
        return false;
    }
    bool continues = false;
    if (!isHexBytes(text, continues)) {
        return false;
    }
    while (continues) {
        if (index >= lines.size() || !isHexBytes(lines[index], continues)) {
            return false;
        }
        ++index;
        ++value.lineCount;
    }
    return true;
}

bool indexLines(RegFileDocument& document) {
    document.keys.clear();
    const std::vector<std::string>& lines = document.lines;
    std::size_t index = 0;
    while (index < lines.size() && trimmed(lines[index]).empty()) {
        ++index;
    }
    if (index >= lines.size()) {
        return false;
    }
    const std::string_view header = trimmed(lines[index]);
    if (header != Header && header != OldHeader) {
        return false;
    }
    ++index;
    while (index < lines.size()) {
        const std::string_view text = trimmed(lines[index]);
        if (text.empty() || text.front() == ';') {
            ++index;
            continue;
        }
        if (text.front() == '[') {
            // "[-...]" deletes a key on import; a store cannot hold that.
            if (text.size() < 3 || text.back() != ']' || text[1] == '-') {
                return false;
            }
            document.keys.push_back(
                {std::string(text.substr(1, text.size() - 2)), index, index, {}});
            ++index;
            continue;
        }
        if ((text.front() != '"' && text.front() != '@') || document.keys.empty()) {
            return false;
        }
        RegFileValue value;
        if (!parseValue(lines, index, value)) {
            return false;
        }
        RegFileKey& key = document.keys.back();
        key.lastLine = value.firstLine + value.lineCount - 1;
        key.values.push_back(std::move(value));
    }
    return true;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::string valueLine(std::string_view valueName, std::string_view text) {
    std::string line = valueName.empty() ? "@" : "\"" + escaped(valueName) + "\"";
    return line + "=\"" + escaped(text) + "\"";
}

} // namespace

RegFileDocument emptyRegFile() {
    RegFileDocument document;
    document.lines = {std::string(Header), ""};
    return document;
}

bool parseRegFile(std::string_view bytes, RegFileDocument& document) {
    document = RegFileDocument{};
    std::string text;
    if (!decodeRegFileText(bytes, document.encoding, text)) {
        return false;
    }
    const std::size_t firstBreak = text.find('\n');
    document.lineEnd =
        firstBreak != std::string::npos && firstBreak > 0 && text[firstBreak - 1] == '\r' ? "\r\n"
                                                                                          : "\n";
    document.endsWithLineEnd = !text.empty() && text.back() == '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        document.lines.push_back(std::move(line));
        start = end + 1;
    }
    return indexLines(document);
}

bool findRegString(const RegFileDocument& document, std::string_view keyPath,
                   std::string_view valueName, std::string& data) {
    const RegFileValue* found = nullptr;
    for (const RegFileKey& key : document.keys) {
        if (!sameIgnoringCase(key.path, keyPath)) {
            continue;
        }
        for (const RegFileValue& value : key.values) {
            if (sameIgnoringCase(value.name, valueName)) {
                found = &value;
            }
        }
    }
    if (found == nullptr || !found->isString) {
        return false;
    }
    data = found->data;
    return true;
}

bool setRegString(RegFileDocument& document, std::string_view keyPath, std::string_view valueName,
                  std::string_view text) {
    for (std::string_view part : {keyPath, valueName, text}) {
        if (part.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
            return false;
        }
    }
    if (keyPath.empty() || keyPath.find(']') != std::string_view::npos || keyPath[0] == '-') {
        return false;
    }
    std::vector<std::string>& lines = document.lines;
    const RegFileValue* found = nullptr;
    const RegFileKey* lastKey = nullptr;
    for (const RegFileKey& key : document.keys) {
        if (!sameIgnoringCase(key.path, keyPath)) {
            continue;
        }
        lastKey = &key;
        for (const RegFileValue& value : key.values) {
            if (sameIgnoringCase(value.name, valueName)) {
                found = &value;
            }
        }
    }
    if (found != nullptr) {
        const auto first = lines.begin() + static_cast<std::ptrdiff_t>(found->firstLine);
        lines.erase(first + 1, first + static_cast<std::ptrdiff_t>(found->lineCount));
        lines[found->firstLine] = valueLine(found->name, text);
    } else if (lastKey != nullptr) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastKey->lastLine + 1),
                     valueLine(valueName, text));
    } else {
        if (!lines.empty() && !trimmed(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.push_back("[" + std::string(keyPath) + "]");
        lines.push_back(valueLine(valueName, text));
        lines.emplace_back();
        document.endsWithLineEnd = true;
    }
    return indexLines(document);
}

bool serializeRegFile(const RegFileDocument& document, std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < document.lines.size(); ++i) {
        text += document.lines[i];
        if (i + 1 < document.lines.size() || document.endsWithLineEnd) {
            text += document.lineEnd;
        }
    }
    return encodeRegFileText(text, document.encoding, bytes);
}
