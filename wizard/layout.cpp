#include "wizard/layout.h"

#include "render/font.h"
#include "render/screen.h"

WizardLayout currentLayout() {
    WizardLayout l{};
    l.width = screenWidth();
    l.height = screenHeight();
    l.headerHeight = static_cast<std::int16_t>(fontHeight(5) + fontHeight(2));
    l.panelWidth = static_cast<std::int16_t>((2 * l.width) / 3);
    l.panelHeight = static_cast<std::int16_t>((2 * (l.height - l.headerHeight)) / 3);
    l.panelX = static_cast<std::int16_t>((l.width - l.panelWidth) / 2);
    l.panelY = static_cast<std::int16_t>((l.height - l.panelHeight) / 2);
    l.buttonRowY = static_cast<std::int16_t>(l.panelY + l.panelHeight - 20);
    l.leftButtonX = static_cast<std::int16_t>(l.panelX + l.panelWidth - 180);
    l.rightButtonX = static_cast<std::int16_t>(l.panelX + l.panelWidth - 90);
    l.textX = static_cast<std::int16_t>(l.panelX + 17);
    l.wrapWidth = static_cast<std::int16_t>(l.panelWidth - 34);
    return l;
}
