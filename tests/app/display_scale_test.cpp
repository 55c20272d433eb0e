#include <gtest/gtest.h>

#include "platform/display_scale.h"

namespace {

using display_scale::chooseScale;

// Frames of a fixed-size window at 96, 192 and 288 DPI, as Windows 10 sizes them.
constexpr int Frame96[] = {6, 29}, Frame192[] = {12, 58}, Frame288[] = {18, 87};

TEST(DisplayScale, LargestWholeScaleAtOrBelowTheDisplaysThatFitsButNeverBelowOne) {
    EXPECT_EQ(chooseScale(144, 1920, 1040, Frame96[0], Frame96[1]), 1) << "150 % is not 2";
    EXPECT_EQ(chooseScale(288, 3840, 2080, Frame288[0], Frame288[1]), 3);
    EXPECT_EQ(chooseScale(10000, 100000, 100000, 0, 0), display_scale::MaxScale);
    // 200 % on a 1920 by 1080 laptop: 960 rows and the frame need 1018 of 1032.
    EXPECT_EQ(chooseScale(192, 1920, 1032, Frame192[0], Frame192[1]), 2);
    EXPECT_EQ(chooseScale(192, 1920, 1017, Frame192[0], Frame192[1]), 1);
    EXPECT_EQ(chooseScale(288, 1920, 1080, Frame288[0], Frame288[1]), 2) << "3 does not fit";
    // The width counts as much as the height.
    EXPECT_EQ(chooseScale(192, 1291, 2000, Frame192[0], Frame192[1]), 1);
    EXPECT_EQ(chooseScale(0, 800, 600, 0, 0), 1);
}

TEST(DisplayScale, OverrideIsAWholeNumberFromOneToTheLimit) {
    EXPECT_EQ(display_scale::scaleOverride("2"), 2);
    EXPECT_EQ(display_scale::scaleOverride("8"), 8);
    for (const char* ignored :
         {"", "0", "9", "-1", " 2", "2x", "2.5", "+2", "99999999999999999999"})
        EXPECT_EQ(display_scale::scaleOverride(ignored), 0) << '"' << ignored << '"';
    EXPECT_EQ(display_scale::scaleOverride(nullptr), 0);
}

TEST(DisplayScale, PositionsRoundDownAndWindowsKeepTheirCentre) {
    EXPECT_EQ(display_scale::toLogical(5, 2), 2);
    EXPECT_EQ(display_scale::toLogical(-1, 2), -1) << "left of the client area stays outside";
    EXPECT_EQ(display_scale::toLogical(-4, 3), -2);
    // 652 by 509 logical at (186, 129) on a 1024 by 768 logical desktop; real
    // frame 12 by 58 around 1280 by 960.
    const int width = display_scale::toPhysicalOuter(652, 12, 12 + 12, 2);
    EXPECT_EQ(width, 1280 + 12 * 2);
    EXPECT_EQ(display_scale::toPhysicalPosition(186, 652, width, 2) * 2 + width,
              (186 * 2 + 652) * 2);
}

TEST(DisplayScale, AfterADpiChangeTheWindowStaysOnItsNewDisplay) {
    using display_scale::Box;
    // A second display to the right of the first: x 1920 to 3840.
    const Box work{1920, 0, 1920, 1040};
    // Centred on the suggested place.
    const auto place = [&work](int width, int height, Box suggested) {
        const Box placed = display_scale::placeAfterDpiChange(width, height, suggested, work);
        return std::pair(placed.left, placed.top);
    };
    EXPECT_EQ(place(1304, 1018, {2400, 10, 900, 700}), std::pair(2400 + (900 - 1304) / 2, 0))
        << "would start above the work area";
    // Sticking out to the right and below: moved back in.
    EXPECT_EQ(place(1304, 1018, {3500, 900, 300, 100}), std::pair(3840 - 1304, 1040 - 1018));
    // Larger than the work area: its top left corner inside.
    EXPECT_EQ(place(2000, 1200, {2000, 10, 900, 700}), std::pair(1920, 0));
}

} // namespace
