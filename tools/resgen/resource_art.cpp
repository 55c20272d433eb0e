#include "tools/resgen/resource_art.h"

#include <fstream>
#include <map>
#include <sstream>

namespace resgen {

namespace {

constexpr std::size_t MaximumColours = 16;

bool fail(std::string& error, const std::string& source, int line, const std::string& what) {
    error = source + ":" + std::to_string(line) + ": " + what;
    return false;
}

bool parseColour(const std::string& text, std::uint32_t& argb) {
    if (text == "transparent") {
        argb = 0;
        return true;
    }
    if (text.size() != 6)
        return false;
    std::uint32_t value = 0;
    for (char c : text) {
        value <<= 4;
        if (c >= '0' && c <= '9')
            value |= static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return false;
    }
    argb = 0xFF000000u | value;
    return true;
}

} // namespace

bool parseArt(const std::string& text, const std::string& sourceName, Art& art,
              std::string& error) {
    art = Art{};
    art.sourceName = sourceName;
    std::map<char, std::uint32_t> colours;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    bool inPixels = false;
    bool sawKind = false, sawId = false;
    int row = 0;

    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (inPixels) {
            if (line.empty() && row == art.height)
                continue;
            if (row >= art.height)
                return fail(error, sourceName, lineNumber, "more rows than the size says");
            if (static_cast<int>(line.size()) != art.width)
                return fail(error, sourceName, lineNumber,
                            "row is not " + std::to_string(art.width) + " pixels wide");
            for (int x = 0; x < art.width; ++x) {
                const auto found = colours.find(line[static_cast<std::size_t>(x)]);
                if (found == colours.end())
                    return fail(error, sourceName, lineNumber,
                                std::string("colour '") + line[static_cast<std::size_t>(x)] +
                                    "' is not in the palette");
                art.argb[static_cast<std::size_t>(row) * static_cast<std::size_t>(art.width) +
                         static_cast<std::size_t>(x)] = found->second;
            }
            ++row;
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "kind") {
            std::string kind;
            words >> kind;
            if (kind != "cursor" && kind != "icon")
                return fail(error, sourceName, lineNumber, "kind is cursor or icon");
            art.cursor = kind == "cursor";
            sawKind = true;
        } else if (keyword == "id") {
            if (!(words >> art.id) || art.id <= 0)
                return fail(error, sourceName, lineNumber, "id must be a positive number");
            sawId = true;
        } else if (keyword == "size") {
            if (!(words >> art.width >> art.height) || art.width <= 0 || art.height <= 0 ||
                art.width > 256 || art.height > 256)
                return fail(error, sourceName, lineNumber, "size is two numbers from 1 to 256");
        } else if (keyword == "hotspot") {
            if (!(words >> art.hotX >> art.hotY))
                return fail(error, sourceName, lineNumber, "hotspot is two numbers");
        } else if (keyword == "colour") {
            std::string symbol, value;
            words >> symbol >> value;
            std::uint32_t argb = 0;
            if (symbol.size() != 1 || !parseColour(value, argb))
                return fail(error, sourceName, lineNumber,
                            "colour is one character and RRGGBB or transparent");
            if (colours.count(symbol[0]) != 0)
                return fail(error, sourceName, lineNumber, "colour defined twice");
            colours[symbol[0]] = argb;
            if (argb != 0) {
                bool known = false;
                for (std::uint32_t c : art.palette)
                    known = known || c == argb;
                if (!known)
                    art.palette.push_back(argb);
                if (art.palette.size() > MaximumColours)
                    return fail(error, sourceName, lineNumber, "more than 16 colours");
            }
        } else if (keyword == "pixels") {
            if (!sawKind || !sawId || art.width == 0)
                return fail(error, sourceName, lineNumber,
                            "kind, id and size come before the pixels");
            art.argb.assign(
                static_cast<std::size_t>(art.width) * static_cast<std::size_t>(art.height), 0);
            inPixels = true;
        } else {
            return fail(error, sourceName, lineNumber, "unknown line '" + keyword + "'");
        }
    }
    if (!inPixels || row != art.height)
        return fail(error, sourceName, lineNumber, "fewer rows than the size says");
    if (art.hotX < 0 || art.hotY < 0 || art.hotX >= art.width || art.hotY >= art.height)
        return fail(error, sourceName, lineNumber, "hot spot outside the image");
    return true;
}

bool readArtFile(const char* path, Art& art, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string("cannot read ") + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parseArt(text.str(), path, art, error);
}

} // namespace resgen
