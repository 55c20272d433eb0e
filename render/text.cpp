#include <algorithm>
#include <cstdint>
#include <limits>

#include "render/font.h"

namespace {

const Font* slotFont(int slot) {
    if (screen.fontSlots == nullptr || slot < 0 || slot >= FontSlotCount) {
        return nullptr;
    }
    return screen.fontSlots[slot];
}

// Measurements run in 64 bits: bearings come from the file and may be anything.
std::int64_t gapBetween(const Font& font, unsigned char current, unsigned char next) {
    if (next == 0) {
        return 0;
    }
    const std::int64_t gap = 3 * static_cast<std::int64_t>(font.glyphs[32].width) / 4 -
                             font.glyphs[current].rightBearing - font.glyphs[next].leftBearing;
    return gap < 0 ? 0 : gap;
}

std::int64_t advanceWidth(const Font& font, const unsigned char* text) {
    std::int64_t sum = 0;
    for (std::size_t i = 0; text[i] != 0; ++i) {
        if (text[i] >= 32) {
            sum += font.glyphs[text[i]].width + gapBetween(font, text[i], text[i + 1]);
        }
    }
    return sum;
}

std::int32_t saturate32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int16_t saturate16(std::int64_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

struct BlendCache {
    std::uint32_t pixel = 0x10000; // no 16-bit pixel matches this
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
};

struct TextColour {
    Colour555 full;
    std::int32_t red;
    std::int32_t green;
    std::int32_t blue;
};

void blitGlyph(const Glyph& glyph, std::int32_t height, std::int64_t pen, std::int16_t y,
               const TextColour& colour, BlendCache& cache) {
    // The last column and row of the screen never receive text.
    const std::int64_t lastColumn = screen.width - 2;
    const std::int64_t lastRow = screen.height - 2;
    const std::int64_t firstJ = std::max<std::int64_t>(0, -pen);
    const std::int64_t endJ = std::min<std::int64_t>(glyph.width - 1, lastColumn - pen);
    const std::int64_t firstK = std::max<std::int64_t>(0, -static_cast<std::int64_t>(y));
    const std::int64_t endK = std::min<std::int64_t>(height - 1, lastRow - y);
    if (firstJ > endJ || firstK > endK) {
        return;
    }

    std::uint8_t* rowBytes = screen.buffer + (y + firstK) * screen.pitch + 2 * (pen + firstJ);
    const std::uint8_t* source = glyph.bitmap + firstK * glyph.rowBytes;
    for (std::int64_t k = firstK; k <= endK;
         ++k, rowBytes += screen.pitch, source += glyph.rowBytes) {
        auto* pixel = reinterpret_cast<Colour555*>(rowBytes);
        for (std::int64_t j = firstJ; j <= endJ; ++j, ++pixel) {
            const std::uint8_t packed = source[j >> 1];
            const std::int32_t v = (j & 1) ? packed & 15 : packed >> 4;
            if (v == 0) {
                continue;
            }
            if (v == 15) {
                *pixel = colour.full;
                continue;
            }
            const Colour555 existing = *pixel;
            if (existing != cache.pixel) {
                cache.pixel = existing;
                cache.red = (existing >> 10) & 31;
                cache.green = (existing >> 5) & 31;
                cache.blue = existing & 31;
            }
            const std::int32_t keep = 15 - v;
            const std::int32_t red = (cache.red * keep + colour.red * v) / 15;
            const std::int32_t green = (cache.green * keep + colour.green * v) / 15;
            const std::int32_t blue = (cache.blue * keep + colour.blue * v) / 15;
            *pixel = static_cast<Colour555>(red << 10 | green << 5 | blue);
        }
    }
}

} // namespace

std::int32_t fontHeight(int slot) {
    if (!isScreenReady()) {
        return RenderNotReady;
    }
    const Font* font = slotFont(slot);
    return font == nullptr ? 0 : font->height;
}

std::int32_t glyphGap(int slot, const char* text, int next) {
    if (!isScreenReady()) {
        return RenderNotReady;
    }
    const Font* font = slotFont(slot);
    // There is no character in front of index 0.
    if (font == nullptr || text == nullptr || next < 1) {
        return 0;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    return saturate32(gapBetween(*font, bytes[next - 1], bytes[next]));
}

std::int32_t stringWidth(int slot, const char* text) {
    if (!isScreenReady()) {
        return RenderNotReady;
    }
    const Font* font = slotFont(slot);
    if (font == nullptr || text == nullptr) {
        return 0;
    }
    return saturate32(advanceWidth(*font, reinterpret_cast<const unsigned char*>(text)));
}

int drawString(std::int16_t x, std::int16_t y, int slot, Colour555 colour, const char* text) {
    if (!isScreenReady()) {
        return RenderNotReady;
    }
    if (text == nullptr) {
        return RenderNoText;
    }
    const Font* font = slotFont(slot);
    if (font == nullptr) {
        return RenderEmptyFontSlot;
    }

    const TextColour split{colour, (colour >> 10) & 31, (colour >> 5) & 31, colour & 31};
    BlendCache cache;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::int64_t pen = x;
    for (std::size_t i = 0; bytes[i] != 0; ++i) {
        const unsigned char c = bytes[i];
        if (c < 32) {
            continue;
        }
        const Glyph& glyph = font->glyphs[c];
        if (c > 32 && glyph.bitmap != nullptr) {
            // The box may lie beyond 16 bits; saturating keeps its clamped
            // place on the screen where wider arithmetic would put it.
            std::int16_t bx0 = saturate16(pen);
            std::int16_t by0 = y;
            std::int16_t bx1 = saturate16(pen + glyph.width - 1);
            std::int16_t by1 = saturate16(static_cast<std::int64_t>(y) + font->height - 1);
            clipToScreen(bx0, by0, bx1, by1);
            blitGlyph(glyph, font->height, pen, y, split, cache);
        }
        pen += glyph.width + gapBetween(*font, c, bytes[i + 1]);
    }
    return RenderOk;
}
