#include "render/font.h"

#include <cstdint>
#include <new>

#include "datafile/data_file.h"

const Name FontNames[FontSlotCount] = {
    "arial_narrow_10.fnt", "arial_narrow_11.fnt",    "arial_14.fnt",           "arial_16.fnt",
    "arial_18.fnt",        "trade_cond_24_bold.fnt", "trade_cond_28_bold.fnt",
};

namespace {

// No real glyph comes near this; it keeps a hostile file from asking for
// gigabytes before its data runs out.
constexpr std::int64_t MaxGlyphBytes = 1 << 20;

// A glyph drawString can walk without leaving its bitmap.
bool glyphIsSound(const Glyph& glyph, std::int32_t height) {
    if (glyph.width < 0 || glyph.rowBytes < 0) {
        return false;
    }
    if (glyph.rowBytes == 0) {
        return true;
    }
    const std::int64_t expected = (static_cast<std::int64_t>(glyph.width) + 1) / 2;
    return glyph.rowBytes == expected &&
           static_cast<std::int64_t>(height) * glyph.rowBytes <= MaxGlyphBytes;
}

} // namespace

int loadFont(const Directory& directory, int slot) {
    if (screen.fontSlots == nullptr || slot < 0 || slot >= FontSlotCount) {
        return RenderNoFontTableMemory;
    }
    DataFile file;
    if (!file.open(directory, FontNames[slot], LittleEndian)) {
        return RenderFontNotOpened;
    }
    Font* font = new (std::nothrow) Font{};
    if (font == nullptr) {
        file.close();
        return RenderNoFontMemory;
    }
    screen.fontSlots[slot] = font;

    const auto fail = [&](int code) {
        file.close();
        freeFont(slot);
        return code;
    };
    if (!file.readInt32(font->height) || font->height < 0) {
        return fail(RenderFontShort);
    }
    for (int code = 32; code <= 255; ++code) {
        Glyph& glyph = font->glyphs[code];
        if (!file.readInt32(glyph.width) || !file.readInt32(glyph.rowBytes) ||
            !file.readInt32(glyph.leftBearing) || !file.readInt32(glyph.rightBearing)) {
            return fail(RenderFontShort);
        }
        if (!glyphIsSound(glyph, font->height)) {
            return fail(RenderFontShort);
        }
        if (glyph.rowBytes == 0) {
            continue;
        }
        const std::int32_t size = font->height * glyph.rowBytes;
        // A glyph of no rows still owns a block, so that "has a bitmap" keeps
        // meaning "rowBytes is not 0".
        glyph.bitmap = new (std::nothrow) std::uint8_t[size > 0 ? size : 1];
        if (glyph.bitmap == nullptr) {
            return fail(RenderNoGlyphMemory);
        }
        if (!file.readBytes(glyph.bitmap, size)) {
            return fail(RenderFontShort);
        }
    }
    file.close();
    return RenderOk;
}

void freeFont(int slot) {
    if (screen.fontSlots == nullptr || slot < 0 || slot >= FontSlotCount) {
        return;
    }
    Font* font = screen.fontSlots[slot];
    if (font == nullptr) {
        return;
    }
    for (int code = 32; code <= 255; ++code) {
        delete[] font->glyphs[code].bitmap;
    }
    delete font;
    screen.fontSlots[slot] = nullptr;
}
