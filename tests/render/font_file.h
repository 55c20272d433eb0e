// Hand-made ".fnt" files for the font tests and the fuzz seeds.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

struct GlyphSpec {
    std::int32_t width = 0;
    std::int32_t rowBytes = 0;
    std::int32_t leftBearing = 0;
    std::int32_t rightBearing = 0;
    std::vector<std::uint8_t> bitmap;
};

struct FontSpec {
    std::int32_t height = 0;
    std::array<GlyphSpec, 256> glyphs{};

    // A glyph of the given width whose every pixel has coverage `level`.
    void solid(unsigned char code, std::int32_t width, std::uint8_t level) {
        GlyphSpec& glyph = glyphs[code];
        glyph.width = width;
        glyph.rowBytes = (width + 1) / 2;
        glyph.bitmap.assign(static_cast<std::size_t>(height * glyph.rowBytes),
                            static_cast<std::uint8_t>(level << 4 | level));
    }

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out;
        const auto put = [&out](std::int32_t value) {
            for (int shift = 0; shift < 32; shift += 8) {
                out.push_back(
                    static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> shift));
            }
        };
        put(height);
        for (int code = 32; code <= 255; ++code) {
            const GlyphSpec& glyph = glyphs[code];
            put(glyph.width);
            put(glyph.rowBytes);
            put(glyph.leftBearing);
            put(glyph.rightBearing);
            out.insert(out.end(), glyph.bitmap.begin(), glyph.bitmap.end());
        }
        return out;
    }
};

inline void writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}
