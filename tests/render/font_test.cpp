#include <filesystem>
#include <string>
#include <unistd.h>

#include "datafile/directory.h"
#include "font_file.h"
#include "render/font.h"
#include "render_fixture.h"

namespace {

namespace fs = std::filesystem;

class FontTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        previous = fs::current_path();
        folder = fs::temp_directory_path() /
                 ("tactico-font-test-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
        fs::current_path(folder);
        screen.fontSlots = slots;
    }
    void TearDown() override {
        for (int slot = 0; slot < FontSlotCount; ++slot) {
            freeFont(slot);
        }
        screen.fontSlots = nullptr;
        fs::current_path(previous);
        fs::remove_all(folder);
        RenderTest::TearDown();
    }

    // Writes `font` as the file of `slot` and loads it.
    int load(const FontSpec& font, int slot = 1) {
        writeFile(FontNames[slot], font.bytes());
        Directory directory;
        return loadFont(directory, slot);
    }

    // Height 4, a bitmap-less space of width 8 (base gap 6), solid 'A' 3 wide
    // with right bearing 1, solid 'B' 2 wide with left bearing 2.
    static FontSpec basicFont() {
        FontSpec font;
        font.height = 4;
        font.glyphs[' '].width = 8;
        font.solid('A', 3, 15);
        font.glyphs['A'].rightBearing = 1;
        font.solid('B', 2, 15);
        font.glyphs['B'].leftBearing = 2;
        return font;
    }

    Font* slots[FontSlotCount] = {};
    fs::path previous;
    fs::path folder;
};

TEST_F(FontTest, GapsFollowTheSpaceWidthAndBearings) {
    useScreen(64, 16);
    FontSpec font = basicFont();
    font.solid('C', 4, 15);
    font.glyphs['C'].rightBearing = 4;
    font.solid('D', 1, 15);
    font.glyphs['D'].leftBearing = 3;
    ASSERT_EQ(load(font), RenderOk);
    EXPECT_EQ(fontHeight(1), 4);

    EXPECT_EQ(glyphGap(1, "AB", 1), 3);
    EXPECT_EQ(glyphGap(1, "CD", 1), 0); // 6 - 4 - 3 never goes below 0
    EXPECT_EQ(glyphGap(1, "AB", 2), 0); // nothing follows the last character
    EXPECT_EQ(stringWidth(1, ""), 0);
    EXPECT_EQ(stringWidth(1, "A"), 3);
    EXPECT_EQ(stringWidth(1, "AB"), 3 + 3 + 2);
    // A control character is skipped but its zero bearing still shapes the gap.
    EXPECT_EQ(stringWidth(1, "A\x01"
                             "B"),
              3 + 5 + 2);
    EXPECT_EQ(stringWidth(1, "A B"), 3 + 5 + 8 + 4 + 2);

    FontSpec narrow = basicFont();
    narrow.glyphs[' '].width = 5;
    ASSERT_EQ(load(narrow, 2), RenderOk);
    EXPECT_EQ(glyphGap(2, "AB", 1), 3 - 1 - 2);
}

TEST_F(FontTest, TextIsDrawnWhereItIsMeasured) {
    useScreen(64, 16);
    FontSpec font = basicFont();
    font.solid(' ', 8, 15);     // a space is never drawn, bitmap or not
    font.glyphs['E'].width = 5; // no bitmap: advances only
    ASSERT_EQ(load(font), RenderOk);
    const char* text = "A\x02 E"
                       "B";
    ASSERT_EQ(drawString(10, 3, 1, 0x03E0, text), RenderOk);

    // A at 10..12; space after A's gap of 5; E after the space's gap of 6;
    // B after E's gap of 6 - 2.
    const int b = 10 + 3 + 5 + 8 + 6 + 5 + 4;
    EXPECT_EQ(b, 10 + stringWidth(1, text) - 2);
    std::vector<std::pair<int, int>> expected;
    for (int y = 3; y < 7; ++y) {
        for (int x : {10, 11, 12, b, b + 1}) {
            expected.emplace_back(x, y);
        }
    }
    EXPECT_EQ(painted(), expected);
    EXPECT_EQ(pixel(b, 6), 0x03E0);
    expectDirty(10, 3, b + 1, 6);
}

TEST_F(FontTest, TextStaysOffTheLastColumnAndRow) {
    useScreen(640, 480);
    FontSpec font;
    font.height = 10;
    font.solid('W', 12, 15);
    ASSERT_EQ(load(font), RenderOk);

    drawString(630, 475, 1, 0x7FFF, "W");
    EXPECT_EQ(painted().size(), 9u * 4u); // columns 630..638, rows 475..478
    EXPECT_EQ(pixel(638, 478), 0x7FFF);
    EXPECT_EQ(pixel(639, 475), 0);
    EXPECT_EQ(pixel(630, 479), 0);
    expectDirty(630, 475, 639, 479);

    useScreen(640, 480);
    drawString(-5, -3, 1, 0x7FFF, "WW");
    // The first glyph shows from its pixel 5 on, the second starts at 7.
    EXPECT_EQ(painted().size(), (7u + 12u) * 7u);
    EXPECT_EQ(pixel(0, 0), 0x7FFF);
    EXPECT_EQ(pixel(6, 0), 0x7FFF);
    EXPECT_EQ(pixel(18, 6), 0x7FFF);
    EXPECT_EQ(pixel(19, 0), 0);

    // Far off screen nothing is written, yet the clamped box is dirty.
    useScreen(640, 480);
    drawString(32000, 100, 1, 0x7FFF, "WWWWWW");
    EXPECT_TRUE(painted().empty());
    expectDirty(639, 100, 639, 109);
}

TEST_F(FontTest, PartialCoverageBlendsOverWhatIsThere) {
    useScreen(8, 4);
    FontSpec font;
    font.height = 1;
    font.glyphs['a'] = {4, 2, 0, 0, {0xAA, 0xF0}}; // 10, 10, 15, 0
    ASSERT_EQ(load(font), RenderOk);

    pixelRow(0)[0] = 0x2108;
    pixelRow(0)[1] = 0x0000;
    pixelRow(0)[2] = 0x2108;
    pixelRow(0)[3] = 0x2108;
    drawString(0, 0, 1, 0xFFE0, "a");
    EXPECT_EQ(pixel(0, 0), 0x5EE2);
    EXPECT_EQ(pixel(1, 0), 0x5280); // its own channels, not the previous pixel's
    EXPECT_EQ(pixel(2, 0), 0xFFE0);
    EXPECT_EQ(pixel(3, 0), 0x2108);

    // A second pass strengthens the edge; full coverage stays the colour.
    drawString(0, 0, 1, 0xFFE0, "a");
    EXPECT_EQ(pixel(0, 0), 0x7380);
    EXPECT_EQ(pixel(2, 0), 0xFFE0);
}

TEST_F(FontTest, ResultCodesComeInOrder) {
    useScreen(8, 8);
    EXPECT_EQ(drawString(0, 0, 1, 0, "x"), RenderEmptyFontSlot);
    EXPECT_EQ(stringWidth(1, "x"), 0);
    ASSERT_EQ(load(basicFont()), RenderOk);
    EXPECT_EQ(drawString(0, 0, 1, 0, nullptr), RenderNoText);
    EXPECT_EQ(stringWidth(1, nullptr), 0);
    EXPECT_EQ(glyphGap(1, nullptr, 1), 0);

    screen.settingUp = true;
    EXPECT_EQ(drawString(0, 0, 1, 0, nullptr), RenderNotReady);
    EXPECT_EQ(fontHeight(1), RenderNotReady);
    EXPECT_EQ(stringWidth(1, "AB"), RenderNotReady);
    EXPECT_EQ(glyphGap(1, "AB", 1), RenderNotReady);
    screen.settingUp = false;
}

TEST_F(FontTest, BadFilesLeaveTheSlotEmpty) {
    useScreen(8, 8);
    {
        Directory directory;
        EXPECT_EQ(loadFont(directory, 3), RenderFontNotOpened);
    }
    EXPECT_EQ(slots[3], nullptr);

    FontSpec font = basicFont();
    font.solid(200, 5, 7);
    const std::vector<std::uint8_t> whole = font.bytes();
    std::size_t offsetOf200 = 4;
    for (int code = 32; code < 200; ++code) {
        offsetOf200 += 16 + font.glyphs[code].bitmap.size();
    }
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cuts = {
        {"inside the bitmap of 200",
         {whole.begin(), whole.begin() + static_cast<long>(offsetOf200 + 16 + 3)}},
        {"after the height", {whole.begin(), whole.begin() + 4}},
        {"inside the height", {whole.begin(), whole.begin() + 2}},
    };
    for (const auto& [what, bytes] : cuts) {
        writeFile(FontNames[1], bytes);
        Directory directory;
        EXPECT_EQ(loadFont(directory, 1), RenderFontShort) << what;
        EXPECT_EQ(slots[1], nullptr) << what;
    }

    // Files whose numbers would let drawing read past a bitmap.
    const auto malformed = [&](auto change) {
        FontSpec bad = basicFont();
        change(bad);
        return load(bad);
    };
    EXPECT_EQ(malformed([](FontSpec& f) { f.height = -4; }), RenderFontShort);
    EXPECT_EQ(malformed([](FontSpec& f) { f.glyphs['A'].width = -3; }), RenderFontShort);
    EXPECT_EQ(malformed([](FontSpec& f) {
                  f.glyphs['A'].width = 9; // needs 5 bytes a row, has 2
              }),
              RenderFontShort);
    EXPECT_EQ(malformed([](FontSpec& f) {
                  f.height = 1 << 20;
                  f.glyphs['A'] = {2, 1, 0, 0, {}};
              }),
              RenderFontShort);
    EXPECT_EQ(slots[1], nullptr);
    // The file still loads when nothing is wrong with it.
    EXPECT_EQ(load(basicFont()), RenderOk);
}

} // namespace
