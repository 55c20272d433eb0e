// Positions shared by every screen, recomputed at each build so that they follow
// the frame buffer's size and the loaded fonts.
#pragma once

#include <cstdint>

struct WizardLayout {
    std::int16_t width;
    std::int16_t height;
    std::int16_t headerHeight;
    std::int16_t panelWidth;
    std::int16_t panelHeight;
    std::int16_t panelX;
    std::int16_t panelY;
    std::int16_t buttonRowY;
    std::int16_t leftButtonX;
    std::int16_t rightButtonX;
    std::int16_t textX;
    std::int16_t wrapWidth;
};

WizardLayout currentLayout();

inline constexpr std::int16_t LineSpacing = 17;
