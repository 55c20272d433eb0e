#include "tools/fontbuild/glyph_layout.h"

#include <algorithm>

std::int32_t baseGap(std::int32_t spaceWidth) {
    return 3 * spaceWidth / 4;
}

FileGlyph layoutGlyph(const RasterGlyph& raster, int height, std::int32_t spaceWidth) {
    const std::int32_t gap = baseGap(spaceWidth);
    // The base gap is shared: the trailing half goes to the glyph in front,
    // the leading half to the glyph behind.
    const std::int32_t trailingShare = gap - gap / 2;
    const std::int32_t leadingShare = gap / 2;

    FileGlyph glyph;
    if (raster.inkWidth == 0) {
        // No ink: the glyph is pure advance, carried by its width.
        glyph.width = raster.advance;
        glyph.leftBearing = leadingShare;
        glyph.rightBearing = trailingShare;
        return glyph;
    }
    const std::int32_t leftSide = raster.inkLeft;
    const std::int32_t rightSide = raster.advance - raster.inkLeft - raster.inkWidth;
    glyph.width = raster.inkWidth;
    glyph.rowBytes = (raster.inkWidth + 1) / 2;
    glyph.leftBearing = leadingShare - leftSide;
    glyph.rightBearing = trailingShare - rightSide;
    glyph.bitmap.assign(static_cast<std::size_t>(height) * glyph.rowBytes, 0);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < raster.inkWidth; ++column) {
            const std::uint8_t value =
                raster.coverage[static_cast<std::size_t>(row) * raster.inkWidth + column];
            std::uint8_t& packed =
                glyph.bitmap[static_cast<std::size_t>(row) * glyph.rowBytes + column / 2];
            packed |= (column % 2 == 0) ? static_cast<std::uint8_t>(value << 4) : value;
        }
    }
    return glyph;
}

SpaceLayout planSpace(int advance, int largestRightOverhang, int largestLeftOverhang) {
    // Keep most of the space: overhangs beyond a third of it stay clamped.
    const int limit = advance / 3;
    const int before = std::clamp(largestRightOverhang, 0, limit);
    const int after = std::clamp(largestLeftOverhang, 0, limit);
    return {advance - before - after, before, after};
}

FileGlyph layoutSpace(const SpaceLayout& space) {
    const std::int32_t gap = baseGap(space.width);
    FileGlyph glyph;
    glyph.width = space.width;
    glyph.leftBearing = gap / 2 - space.slackBefore;
    glyph.rightBearing = gap - gap / 2 - space.slackAfter;
    return glyph;
}
