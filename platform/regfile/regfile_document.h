// A registry-export text file ("Windows Registry Editor Version 5.00") held as its
// lines, so that changing one value rewrites that value's line and nothing else.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/regfile/regfile_encoding.h"

struct RegFileValue {
    std::string name; // empty for the key's default value ("@")
    std::size_t firstLine;
    std::size_t lineCount;
    bool isString;
    std::string data; // the unescaped text of a string value
};

struct RegFileKey {
    std::string path; // as written between the brackets
    std::size_t keyLine;
    std::size_t lastLine; // the key line or its last value line
    std::vector<RegFileValue> values;
};

struct RegFileDocument {
    RegFileEncoding encoding = RegFileEncoding::Plain;
    std::string lineEnd = "\r\n";
    bool endsWithLineEnd = true;
    // Decoded to UTF-8 when the file is UTF-16; otherwise the file's own bytes.
    std::vector<std::string> lines;
    std::vector<RegFileKey> keys;
};

// A document with only the header, as a new file starts.
RegFileDocument emptyRegFile();

// False when bytes are not a registry file this store understands (no header,
// a malformed line, a deletion entry, a byte order it cannot decode).
bool parseRegFile(std::string_view bytes, RegFileDocument& document);

// keyPath is the whole path, hive included. Key paths and value names compare
// without regard to ASCII case; where a value appears more than once the last wins.
bool findRegString(const RegFileDocument& document, std::string_view keyPath,
                   std::string_view valueName, std::string& data);

// Sets valueName to text as a string value, adding the value and the key where
// missing. False when the text cannot be written in this format (a line break).
bool setRegString(RegFileDocument& document, std::string_view keyPath, std::string_view valueName,
                  std::string_view text);

// False when the document cannot be encoded back (text that is not UTF-8 in a
// UTF-16 file).
bool serializeRegFile(const RegFileDocument& document, std::string& bytes);
