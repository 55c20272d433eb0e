#include <algorithm>
#include <span>
#include <string>

#include "datafile/directory.h"
#include "render/font.h"
#include "render_fixture.h"
#include "tests/temp_folder.h"
#include "tools/fontbuild/glyph_layout.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A hand-made ".fnt" file.
struct FontSpec {
    std::int32_t height = 4;
    std::array<FileGlyph, 256> glyphs{};

    // A glyph whose every pixel is fully covered.
    FontSpec& solid(unsigned char code, std::int32_t width, std::int32_t left = 0,
                    std::int32_t right = 0) {
        const std::int32_t rowBytes = (width + 1) / 2;
        glyphs[code] = {width, rowBytes, left, right, Bytes(height * rowBytes, 0xFF)};
        return *this;
    }

    Bytes bytes() const {
        Bytes out;
        const auto put = [&out](std::initializer_list<std::int32_t> values) {
            for (std::int32_t value : values)
                for (int shift = 0; shift < 32; shift += 8)
                    out.push_back(std::uint8_t(std::uint32_t(value) >> shift));
        };
        put({height});
        for (const FileGlyph& glyph : std::span(glyphs).subspan(32)) {
            put({glyph.width, glyph.rowBytes, glyph.leftBearing, glyph.rightBearing});
            out.insert(out.end(), glyph.bitmap.begin(), glyph.bitmap.end());
        }
        return out;
    }
};

// A space of 9 (base gap 6, rounded down) that is never drawn though it has a
// bitmap, 'A' 3 wide with right bearing 1, 'B' 2 wide with left bearing 2.
FontSpec basicFont() {
    return FontSpec().solid(' ', 9).solid('A', 3, 0, 1).solid('B', 2, 2);
}

// Each test runs in its own temporary folder with its own font slots.
class FontTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        screen.fontSlots = slots;
    }
    void TearDown() override {
        for (int slot = 0; slot < FontSlotCount; ++slot)
            freeFont(slot);
        screen.fontSlots = nullptr;
        RenderTest::TearDown();
    }

    int load(const Bytes& bytes, int slot = 1) {
        writeFile(FontNames[slot].c_str(), std::string(bytes.begin(), bytes.end()));
        return loadFont(Directory(), slot);
    }
    int load(const FontSpec& font, int slot = 1) { return load(font.bytes(), slot); }

    Font* slots[FontSlotCount] = {};
    TempFolder folder;
};

TEST_F(FontTest, TextIsDrawnWhereItIsMeasured) {
    useScreen(64, 16);
    FontSpec font = basicFont();
    font.glyphs['E'] = {5, 0, 3, 0, {}}; // no bitmap: advances only
    ASSERT_EQ(load(font), RenderOk);
    EXPECT_EQ(glyphGap(1, "AB", 1), 3);
    EXPECT_EQ(glyphGap(1, "AB", 2), 0); // nothing follows the last character

    // A control character is skipped but its zero bearing still shapes the gap.
    const char* text = "A\x02 EB";
    ASSERT_EQ(drawString(10, 3, 1, 0x03E0, text), RenderOk);
    // A at 10..12; the space after A's gap of 5; E after the space's gap of 6 - 3;
    // B after E's gap of 6 - 2.
    const int b = 10 + 3 + 5 + 9 + 3 + 5 + 4;
    EXPECT_EQ(b, 10 + stringWidth(1, text) - 2);
    Points expected;
    for (int y = 3; y < 7; ++y)
        for (int x : {10, 11, 12, b, b + 1})
            expected.emplace_back(x, y);
    EXPECT_EQ(painted(), expected);
    EXPECT_EQ(dirty(), (Box{10, 3, b + 1, 6}));
}

TEST_F(FontTest, TextStaysOffTheLastColumnAndRow) {
    useScreen(640, 480);
    ASSERT_EQ(load(FontSpec{10}.solid('W', 12)), RenderOk);

    drawString(630, 475, 1, 0x7FFF, "W");
    EXPECT_EQ(painted().size(), 9u * 4u); // columns 630..638, rows 475..478
    EXPECT_EQ(painted().back(), std::pair(638, 478));
    EXPECT_EQ(dirty(), (Box{630, 475, 639, 479}));

    useScreen(640, 480);
    drawString(-5, -3, 1, 0x7FFF, "WW");
    // The first glyph shows from its pixel 5 on, the second starts at 7.
    EXPECT_EQ(painted().size(), (7u + 12u) * 7u);
    EXPECT_EQ(painted().back(), std::pair(18, 6));

    // Past the 16-bit range nothing is written, yet the clamped box is dirty.
    useScreen(640, 480);
    drawString(32760, 100, 1, 0x7FFF, "WWWWWW");
    EXPECT_TRUE(painted().empty());
    EXPECT_EQ(dirty(), (Box{639, 100, 639, 109}));
}

TEST_F(FontTest, PartialCoverageBlendsOverWhatIsThere) {
    useScreen(4, 2);
    FontSpec font{1};
    font.glyphs['a'] = {4, 2, 0, 0, {0xAA, 0xF0}}; // 10, 10, 15, 0
    ASSERT_EQ(load(font), RenderOk);

    fill(0x2108);
    pixelRow(0)[1] = 0x0000;
    drawString(0, 0, 1, 0xFFE0, "a");
    // Pixel 1 blends from its own channels, not the previous pixel's.
    EXPECT_EQ(row(0), (Row{0x5EE2, 0x5280, 0xFFE0, 0x2108}));
}

TEST_F(FontTest, FailuresAreReportedAndLeaveTheSlotEmpty) {
    useScreen(8, 8);
    EXPECT_EQ(loadFont(Directory(), 3), RenderFontNotOpened);
    EXPECT_EQ(slots[3], nullptr);
    EXPECT_EQ(drawString(0, 0, 3, 0, "x"), RenderEmptyFontSlot);
    EXPECT_EQ(stringWidth(3, "x"), 0);

    const Bytes whole = basicFont().solid(255, 5).bytes();
    const auto cut = [&whole](long size) { return Bytes(whole.begin(), whole.begin() + size); };
    const auto changed = [](void (*change)(FontSpec&)) {
        FontSpec bad = basicFont();
        change(bad);
        return bad.bytes();
    };
    const Bytes bad[] = {
        // Inside the last bitmap, after the height, inside the height.
        cut(std::ssize(whole) - 3),
        cut(4),
        cut(2),
        // Numbers that would let drawing read past a bitmap.
        changed([](FontSpec& f) { f.height = -4; }),
        changed([](FontSpec& f) { f.glyphs['A'].width = -3; }),
        changed([](FontSpec& f) { f.glyphs['A'].width = 9; }), // needs 5 bytes a row, has 2
        changed([](FontSpec& f) {
            f.height = 1 << 20;
            f.glyphs['A'] = {2, 1, 0, 0, {}};
        }),
    };
    for (const Bytes& bytes : bad) {
        SCOPED_TRACE(&bytes - bad);
        EXPECT_EQ(load(bytes), RenderFontShort);
        EXPECT_EQ(slots[1], nullptr);
    }
    ASSERT_EQ(load(basicFont()), RenderOk);
    EXPECT_EQ(drawString(0, 0, 1, 0, nullptr), RenderNoText);
    EXPECT_EQ(stringWidth(1, nullptr), 0);
    EXPECT_EQ(glyphGap(1, nullptr, 1), 0);
    screen.settingUp = true;
    EXPECT_EQ(drawString(0, 0, 1, 0, nullptr), RenderNotReady);
    EXPECT_EQ(fontHeight(1), RenderNotReady);
    EXPECT_EQ(stringWidth(1, "AB"), RenderNotReady);
    EXPECT_EQ(glyphGap(1, "AB", 1), RenderNotReady);
}

// Glyphs laid out by the font builder keep the natural distance from one ink
// to the next wherever that is not negative, also across a space whose
// neighbours overhang into it.
TEST_F(FontTest, BuilderLayoutReproducesNaturalSpacing) {
    useScreen(64, 64);
    struct Shape {
        unsigned char code;
        int advance, inkLeft, inkWidth;
    };
    const Shape shapes[] = {{'a', 7, 1, 5},  {'j', 3, -1, 3}, {'f', 4, 0, 5},
                            {'m', 11, 1, 9}, {'i', 3, 1, 1},  {'W', 12, 0, 12}};
    FontSpec font{3};
    const SpaceLayout space = planSpace(4, 1, 1);
    font.glyphs[' '] = layoutSpace(space);
    for (const Shape& shape : shapes) {
        const RasterGlyph raster{shape.advance, shape.inkLeft, shape.inkWidth,
                                 Bytes(font.height * shape.inkWidth, 15)};
        font.glyphs[shape.code] = layoutGlyph(raster, font.height, space.width);
    }
    ASSERT_EQ(load(font, 0), RenderOk);

    for (const Shape& left : shapes) {
        for (const Shape& right : shapes) {
            const int rightSide = left.advance - left.inkLeft - left.inkWidth;
            const std::string pair{char(left.code), char(right.code)};
            EXPECT_EQ(glyphGap(0, pair.c_str(), 1), std::max(0, rightSide + right.inkLeft)) << pair;
            const std::string spaced{char(left.code), ' ', char(right.code)};
            EXPECT_EQ(stringWidth(0, spaced.c_str()),
                      left.inkWidth + rightSide + 4 + right.inkLeft + right.inkWidth)
                << spaced;
        }
    }
}

TEST_F(FontTest, EverySlotLoadsFromTheBuild) {
    useScreen(64, 64);
    fs::current_path(TACTICO_FONT_DIR);
    for (int slot = 0; slot < FontSlotCount; ++slot) {
        SCOPED_TRACE(FontNames[slot].c_str());
        ASSERT_EQ(loadFont(Directory(), slot), RenderOk);
        const Font& font = *slots[slot];
        EXPECT_GT(font.height, 9);
        EXPECT_GE(stringWidth(slot, "a b"), stringWidth(slot, "ab") + 2) << "a visible space";
        EXPECT_NE(font.glyphs[0x80].bitmap, nullptr) << "euro sign";
        EXPECT_EQ(font.glyphs[0x81].bitmap, nullptr) << "undefined in the code page";
    }
}

} // namespace
