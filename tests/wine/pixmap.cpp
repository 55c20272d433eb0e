#include "tests/wine/pixmap.h"

#include <cstdio>
#include <fstream>

namespace fixture {
namespace {

bool sameColour(const std::uint8_t* a, const std::uint8_t* b) {
    return (a[0] >> 3) == (b[0] >> 3) && (a[1] >> 3) == (b[1] >> 3) && (a[2] >> 3) == (b[2] >> 3);
}

bool matchesAt(const Pixmap& capture, const Pixmap& reference, Point offset) {
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            if (!sameColour(capture.at(offset.x + x, offset.y + y), reference.at(x, y))) {
                return false;
            }
        }
    }
    return true;
}

// PPM headers may carry comments between their fields.
bool readHeaderNumber(std::istream& in, int& value) {
    in >> std::ws;
    while (in.peek() == '#') {
        std::string comment;
        std::getline(in, comment);
        in >> std::ws;
    }
    return static_cast<bool>(in >> value);
}

} // namespace

Pixmap fromFrameBuffer(const std::vector<std::uint16_t>& pixels, int width, int height) {
    Pixmap image;
    image.width = width;
    image.height = height;
    image.rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    for (std::uint16_t pixel : pixels) {
        image.rgb.push_back(static_cast<std::uint8_t>(((pixel >> 10) & 31) << 3));
        image.rgb.push_back(static_cast<std::uint8_t>(((pixel >> 5) & 31) << 3));
        image.rgb.push_back(static_cast<std::uint8_t>((pixel & 31) << 3));
    }
    return image;
}

bool writePpm(const std::string& path, const Pixmap& image) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.rgb.data()),
              static_cast<std::streamsize>(image.rgb.size()));
    out.close();
    return static_cast<bool>(out);
}

bool readPpm(const std::string& path, Pixmap& image) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    if (!(in >> magic) || magic != "P6" || !readHeaderNumber(in, image.width) ||
        !readHeaderNumber(in, image.height) || !readHeaderNumber(in, maxValue) || maxValue != 255 ||
        image.width <= 0 || image.height <= 0) {
        return false;
    }
    in.get(); // the single whitespace before the samples
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    in.read(reinterpret_cast<char*>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
    return static_cast<std::size_t>(in.gcount()) == image.rgb.size();
}

long countDifferences(const Pixmap& capture, const Pixmap& reference, Point offset) {
    long differences = 0;
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const int cx = offset.x + x;
            const int cy = offset.y + y;
            if (cx < 0 || cy < 0 || cx >= capture.width || cy >= capture.height ||
                !sameColour(capture.at(cx, cy), reference.at(x, y))) {
                ++differences;
            }
        }
    }
    return differences;
}

std::vector<Point> locate(const Pixmap& capture, const Pixmap& reference) {
    std::vector<Point> found;
    for (int y = 0; y + reference.height <= capture.height; ++y) {
        for (int x = 0; x + reference.width <= capture.width; ++x) {
            if (sameColour(capture.at(x, y), reference.at(0, 0)) &&
                matchesAt(capture, reference, {x, y})) {
                found.push_back({x, y});
            }
        }
    }
    return found;
}

} // namespace fixture
