#include <algorithm>
#include <cstddef>

#include "tools/winres/icon_image.h"

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void patch32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

bool opaque(std::uint32_t pixel) {
    return (pixel >> 24) != 0;
}

int rowBytes(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

// Palette index 0 is black and also serves every transparent pixel: with its AND
// bit set, a black XOR bit leaves the screen untouched.
std::vector<std::uint32_t> paletteOf(const IconImage& image) {
    std::vector<std::uint32_t> palette{0};
    for (std::uint32_t pixel : image.pixels) {
        const std::uint32_t rgb = pixel & 0xFFFFFF;
        if (opaque(pixel) && std::find(palette.begin(), palette.end(), rgb) == palette.end()) {
            palette.push_back(rgb);
        }
    }
    return palette;
}

std::vector<std::uint8_t> encodeBitmap(const IconImage& image) {
    const std::vector<std::uint32_t> palette = paletteOf(image);
    const int bits = palette.size() <= 2 ? 1 : palette.size() <= 16 ? 4 : 32;
    const int paletteSize = bits == 32 ? 0 : 1 << bits;
    const int colourRow = rowBytes(image.width, bits);
    const int maskRow = rowBytes(image.width, 1);

    std::vector<std::uint8_t> out;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(image.width));
    put32(out, static_cast<std::uint32_t>(image.height * 2)); // colour bitmap + mask
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bits));
    for (int i = 0; i < 6; ++i) {
        put32(out, 0);
    }
    for (int i = 0; i < paletteSize; ++i) {
        const std::uint32_t rgb = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        put32(out, rgb); // blue, green, red, reserved in file order
    }

    std::vector<std::uint8_t> row;
    for (int y = image.height - 1; y >= 0; --y) { // bottom-up
        row.assign(colourRow, 0);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.at(x, y);
            if (bits == 32) {
                const std::uint32_t value = opaque(pixel) ? (pixel | 0xFF000000u) : 0;
                for (int i = 0; i < 4; ++i) {
                    row[x * 4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
                }
                continue;
            }
            std::size_t index = 0;
            if (opaque(pixel)) {
                index = static_cast<std::size_t>(
                    std::find(palette.begin(), palette.end(), pixel & 0xFFFFFF) - palette.begin());
            }
            if (bits == 1) {
                row[x / 8] |= static_cast<std::uint8_t>(index << (7 - x % 8));
            } else {
                row[x / 2] |= static_cast<std::uint8_t>(index << (x % 2 == 0 ? 4 : 0));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = image.height - 1; y >= 0; --y) {
        row.assign(maskRow, 0);
        for (int x = 0; x < image.width; ++x) {
            if (!opaque(image.at(x, y))) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

std::vector<std::uint8_t> encodeIconFile(const std::vector<IconImage>& images, bool cursor) {
    if (images.empty()) {
        return {};
    }
    for (const IconImage& image : images) {
        if (image.width <= 0 || image.height <= 0 || image.width > 256 || image.height > 256 ||
            image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
            return {};
        }
    }
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, cursor ? 2 : 1);
    put16(out, static_cast<std::uint32_t>(images.size()));
    const std::size_t directoryStart = out.size();
    std::vector<std::vector<std::uint8_t>> bitmaps;
    for (const IconImage& image : images) {
        bitmaps.push_back(encodeBitmap(image));
        const std::vector<std::uint8_t>& bitmap = bitmaps.back();
        const std::uint32_t bits = bitmap[14] | (bitmap[15] << 8);
        out.push_back(static_cast<std::uint8_t>(image.width & 0xFF)); // 256 is stored as 0
        out.push_back(static_cast<std::uint8_t>(image.height & 0xFF));
        out.push_back(static_cast<std::uint8_t>(bits < 8 ? 1u << bits : 0));
        out.push_back(0);
        put16(out, cursor ? static_cast<std::uint32_t>(image.hotspotX) : 1);
        put16(out, cursor ? static_cast<std::uint32_t>(image.hotspotY) : bits);
        put32(out, static_cast<std::uint32_t>(bitmap.size()));
        put32(out, 0); // offset, patched below
    }
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
        patch32(out, directoryStart + i * 16 + 12, static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), bitmaps[i].begin(), bitmaps[i].end());
    }
    return out;
}
