#include <filesystem>
#include <string>

#include "datafile/directory.h"
#include "font_file.h"
#include "render/font.h"
#include "render_fixture.h"
#include "tools/fontbuild/glyph_layout.h"

namespace {

namespace fs = std::filesystem;

class BuiltFontTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        previous = fs::current_path();
        screen.fontSlots = slots;
        useScreen(64, 64);
    }
    void TearDown() override {
        for (int slot = 0; slot < FontSlotCount; ++slot) {
            freeFont(slot);
        }
        screen.fontSlots = nullptr;
        fs::current_path(previous);
        RenderTest::TearDown();
    }

    Font* slots[FontSlotCount] = {};
    fs::path previous;
};

// Feeds laid-out glyphs through the renderer's own spacing rule: the distance
// from one ink to the next must be the natural one wherever that is not
// negative, also across a space whose neighbours overhang into it.
TEST_F(BuiltFontTest, LayoutReproducesNaturalSpacing) {
    const fs::path folder = fs::temp_directory_path() / "tactico-layout-test";
    fs::create_directories(folder);
    fs::current_path(folder);

    struct Shape {
        unsigned char code;
        int advance, inkLeft, inkWidth;
    };
    const Shape shapes[] = {{'a', 7, 1, 5},  {'j', 3, -1, 3}, {'f', 4, 0, 5},
                            {'m', 11, 1, 9}, {'i', 3, 1, 1},  {'W', 12, 0, 12}};
    const int height = 3;
    const SpaceLayout space = planSpace(4, 1, 1);
    FontSpec font;
    font.height = height;
    const FileGlyph spaceGlyph = layoutSpace(space);
    font.glyphs[' '] = {spaceGlyph.width, 0, spaceGlyph.leftBearing, spaceGlyph.rightBearing, {}};
    for (const Shape& shape : shapes) {
        RasterGlyph raster{shape.advance, shape.inkLeft, shape.inkWidth,
                           std::vector<std::uint8_t>(height * shape.inkWidth, 15)};
        const FileGlyph glyph = layoutGlyph(raster, height, space.width);
        ASSERT_EQ(glyph.bitmap.size(), static_cast<std::size_t>(height * glyph.rowBytes));
        font.glyphs[shape.code] = {glyph.width, glyph.rowBytes, glyph.leftBearing,
                                   glyph.rightBearing, glyph.bitmap};
    }
    writeFile(FontNames[0], font.bytes());
    {
        Directory directory;
        ASSERT_EQ(loadFont(directory, 0), RenderOk);
    }

    for (const Shape& left : shapes) {
        for (const Shape& right : shapes) {
            const int rightSide = left.advance - left.inkLeft - left.inkWidth;
            const std::string pair{static_cast<char>(left.code), static_cast<char>(right.code)};
            EXPECT_EQ(glyphGap(0, pair.c_str(), 1), std::max(0, rightSide + right.inkLeft)) << pair;

            const std::string spaced{static_cast<char>(left.code), ' ',
                                     static_cast<char>(right.code)};
            EXPECT_EQ(stringWidth(0, spaced.c_str()),
                      left.inkWidth + rightSide + 4 + right.inkLeft + right.inkWidth)
                << spaced;
        }
    }
    fs::current_path(previous);
    fs::remove_all(folder);
}

TEST_F(BuiltFontTest, EverySlotLoadsFromTheBuild) {
    fs::current_path(TACTICO_FONT_DIR);
    const Directory directory;
    int previousHeight = 0;
    for (int slot = 0; slot < FontSlotCount; ++slot) {
        ASSERT_EQ(loadFont(directory, slot), RenderOk) << FontNames[slot];
        const Font& font = *slots[slot];
        EXPECT_GT(font.height, 9) << FontNames[slot];
        EXPECT_LT(font.height, 40) << FontNames[slot];
        if (slot != 5) { // the bold titles restart the size order
            EXPECT_GE(font.height, previousHeight) << FontNames[slot];
        }
        previousHeight = font.height;
        EXPECT_EQ(font.glyphs[' '].bitmap, nullptr);
        EXPECT_GE(stringWidth(slot, "a b"), stringWidth(slot, "ab") + 2) << "a visible space";
        EXPECT_NE(font.glyphs[0x80].bitmap, nullptr) << "euro sign";
        EXPECT_NE(font.glyphs[0x93].bitmap, nullptr) << "left double quote";
        EXPECT_EQ(font.glyphs[0x81].bitmap, nullptr) << "undefined in the code page";
        EXPECT_GT(font.glyphs[0x81].width, 0);
        EXPECT_GT(stringWidth(slot, "mmmm"), stringWidth(slot, "iiii"));
    }
}

} // namespace
