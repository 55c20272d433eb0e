// Builds a ".fnt" bitmap font from a TrueType/OpenType font at one pixel size:
//   tactico-fontbuild <font file> <pixel size> <output file>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/windows1252.h"
#include "tools/fontbuild/glyph_layout.h"

namespace {

struct FaceMetrics {
    int ascender;
    int height;
};

int roundPixels(FT_Pos value) {
    return static_cast<int>((value + 32) >> 6);
}

// Coverage of one glyph on the font's common baseline, trimmed to its ink.
// `clippedRows` counts rows with ink that fell outside the font height.
RasterGlyph rasterise(FT_GlyphSlot slot, const FaceMetrics& metrics, int& clippedRows) {
    RasterGlyph raster;
    raster.advance = roundPixels(slot->advance.x);
    const FT_Bitmap& bitmap = slot->bitmap;
    const int width = static_cast<int>(bitmap.width);
    std::vector<std::uint8_t> full(static_cast<std::size_t>(metrics.height) * width, 0);
    for (int sourceRow = 0; sourceRow < static_cast<int>(bitmap.rows); ++sourceRow) {
        const int row = metrics.ascender - slot->bitmap_top + sourceRow;
        const unsigned char* source = bitmap.buffer + sourceRow * bitmap.pitch;
        bool ink = false;
        for (int column = 0; column < width; ++column) {
            const auto level = static_cast<std::uint8_t>((source[column] * 15 + 127) / 255);
            ink = ink || level != 0;
            if (row >= 0 && row < metrics.height) {
                full[static_cast<std::size_t>(row) * width + column] = level;
            }
        }
        if (ink && (row < 0 || row >= metrics.height)) {
            ++clippedRows;
        }
    }

    const auto columnHasInk = [&](int column) {
        for (int row = 0; row < metrics.height; ++row) {
            if (full[static_cast<std::size_t>(row) * width + column] != 0) {
                return true;
            }
        }
        return false;
    };
    int first = 0;
    int last = width - 1;
    while (first <= last && !columnHasInk(first)) {
        ++first;
    }
    while (last >= first && !columnHasInk(last)) {
        --last;
    }
    if (first > last) {
        return raster;
    }
    raster.inkLeft = slot->bitmap_left + first;
    raster.inkWidth = last - first + 1;
    raster.coverage.resize(static_cast<std::size_t>(metrics.height) * raster.inkWidth);
    for (int row = 0; row < metrics.height; ++row) {
        for (int column = 0; column < raster.inkWidth; ++column) {
            raster.coverage[static_cast<std::size_t>(row) * raster.inkWidth + column] =
                full[static_cast<std::size_t>(row) * width + first + column];
        }
    }
    return raster;
}

void putInt32(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
}

int fail(const char* what, const char* detail) {
    std::fprintf(stderr, "tactico-fontbuild: %s %s\n", what, detail);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: tactico-fontbuild <font file> <pixel size> <output file>\n", stderr);
        return 2;
    }
    const char* fontPath = argv[1];
    const int pixelSize = std::atoi(argv[2]);
    const char* outputPath = argv[3];
    if (pixelSize < 4 || pixelSize > 200) {
        return fail("unusable pixel size", argv[2]);
    }

    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        return fail("cannot start FreeType", "");
    }
    FT_Face face;
    if (FT_New_Face(library, fontPath, 0, &face) != 0) {
        FT_Done_FreeType(library);
        return fail("cannot read font", fontPath);
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    // Scalable fonts report these already rounded outwards to whole pixels.
    const FaceMetrics metrics{
        static_cast<int>(face->size->metrics.ascender >> 6),
        static_cast<int>((face->size->metrics.ascender - face->size->metrics.descender) >> 6)};
    constexpr FT_Int32 loadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT;

    int spaceAdvance = pixelSize / 4;
    if (FT_Load_Char(face, ' ', loadFlags) == 0) {
        spaceAdvance = roundPixels(face->glyph->advance.x);
    }

    std::vector<RasterGlyph> rasters(256);
    int clippedRows = 0;
    int rightOverhang = 0;
    int leftOverhang = 0;
    for (unsigned code = 32; code <= 255; ++code) {
        // DEL and the code page's undefined bytes get no glyph.
        const char32_t unicode = windows1252CodePoint(static_cast<unsigned char>(code));
        const bool drawn = code != 0x7F && unicode != 0xFFFD;
        const FT_UInt index = drawn ? FT_Get_Char_Index(face, unicode) : 0;
        RasterGlyph& raster = rasters[code];
        raster.advance = spaceAdvance;
        if (index != 0 && FT_Load_Glyph(face, index, loadFlags) == 0) {
            raster = rasterise(face->glyph, metrics, clippedRows);
        }
        if (raster.inkWidth > 0) {
            leftOverhang = std::max(leftOverhang, -raster.inkLeft);
            rightOverhang =
                std::max(rightOverhang, raster.inkLeft + raster.inkWidth - raster.advance);
        }
    }
    const SpaceLayout space = planSpace(spaceAdvance, rightOverhang, leftOverhang);

    std::vector<std::uint8_t> out;
    putInt32(out, metrics.height);
    for (unsigned code = 32; code <= 255; ++code) {
        const FileGlyph glyph = code == ' '
                                    ? layoutSpace(space)
                                    : layoutGlyph(rasters[code], metrics.height, space.width);
        putInt32(out, glyph.width);
        putInt32(out, glyph.rowBytes);
        putInt32(out, glyph.leftBearing);
        putInt32(out, glyph.rightBearing);
        out.insert(out.end(), glyph.bitmap.begin(), glyph.bitmap.end());
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    if (clippedRows > 0) {
        std::fprintf(stderr, "tactico-fontbuild: %s at %d px: %d glyph rows outside the height\n",
                     fontPath, pixelSize, clippedRows);
    }
    std::FILE* file = std::fopen(outputPath, "wb");
    if (file == nullptr) {
        return fail("cannot write", outputPath);
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (std::fclose(file) != 0 || !written) {
        std::remove(outputPath);
        return fail("cannot write", outputPath);
    }
    return 0;
}
