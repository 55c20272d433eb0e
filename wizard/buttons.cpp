#include <cstdio>
#include <cstring>
#include <new>

#include "render/draw.h"
#include "render/font.h"
#include "wizard/devices.h"
#include "wizard/keyboard_focus.h"
#include "wizard/update_wizard.h"

namespace {

constexpr Colour555 BodyColour = 0x6739;
constexpr Colour555 LightEdge = 0x7FFF;
constexpr Colour555 DarkEdge = 0x2108;
constexpr int ButtonFont = 1;

void bevelLine(int x0, int y0, int x1, int y1, Colour555 colour) {
    drawLine(static_cast<std::int16_t>(x0), static_cast<std::int16_t>(y0),
             static_cast<std::int16_t>(x1), static_cast<std::int16_t>(y1), LineSolid, colour);
}

bool isClickable(const Button& button) {
    return button.text[0] != '\0' && button.action != TextField && button.action != Label &&
           button.action != Inactive;
}

} // namespace

Button* UpdateWizard::makeButton(std::int16_t x, std::int16_t y, std::int16_t width,
                                 std::int16_t height, const char* text, std::int32_t action,
                                 std::int32_t argument, Colour555 colour) {
    auto* button = new (std::nothrow) Button{};
    if (button == nullptr) {
        return nullptr;
    }
    // A longer text is cut rather than allowed to run past the record.
    std::snprintf(button->text, sizeof button->text, "%s", text != nullptr ? text : "");
    button->x = x;
    button->y = y;
    button->width = width;
    button->height = height;
    button->argument = argument;
    button->action = action;
    button->colour = colour;
    // A press already under way when the button appears began on another screen
    // (or on this one before a repaint rebuilt it): its release is no click here.
    if (mouse != nullptr) {
        mouse->getLeftButton(button->lastButtonDown);
    }
    return button;
}

void UpdateWizard::drawButton(const Button* button) {
    if (button == nullptr) {
        return;
    }
    const Button& b = *button;
    if (b.action == Label) {
        drawString(b.x, b.y, ButtonFont, b.colour, b.text);
        return;
    }

    int dx = 0;
    int dy = (b.height - fontHeight(ButtonFont)) / 2 + 1;
    if (b.pressed) {
        dx = 2;
        dy += 2;
    }
    drawRect(b.x, b.y, static_cast<std::int16_t>(b.x + b.width),
             static_cast<std::int16_t>(b.y + b.height), RectSolidFill, BodyColour, KeepExisting);

    const int cx = b.x + (b.width - stringWidth(ButtonFont, b.text)) / 2;
    const auto textX = static_cast<std::int16_t>(cx + dx);
    const auto textY = static_cast<std::int16_t>(b.y + dy);
    if (b.action != Inactive) {
        drawString(textX, textY, ButtonFont, b.colour, b.text);
    } else {
        drawString(static_cast<std::int16_t>(textX + 1), static_cast<std::int16_t>(textY + 1),
                   ButtonFont, shadeColour(BodyColour, 166, 0), b.text);
        drawString(textX, textY, ButtonFont, shadeColour(BodyColour, 66, 0), b.text);
    }

    // The drawing order makes the bottom-left and top-right corners take the
    // shadow colour, which is what gives the bevel its look.
    const Colour555 topLeft = b.pressed ? DarkEdge : LightEdge;
    const Colour555 bottomRight = b.pressed ? LightEdge : DarkEdge;
    const int x = b.x;
    const int y = b.y;
    const int r = b.x + b.width;
    const int d = b.y + b.height;
    bevelLine(x, y, r, y, topLeft);
    bevelLine(x, y, x, d, topLeft);
    bevelLine(x, d, r, d, bottomRight);
    bevelLine(r, y, r, d, bottomRight);
    bevelLine(x + 1, y + 1, r - 1, y + 1, topLeft);
    bevelLine(x + 1, y + 1, x + 1, d - 1, topLeft);
    bevelLine(x + 1, d - 1, r - 1, d - 1, bottomRight);
    bevelLine(r - 1, y + 1, r - 1, d - 1, bottomRight);
    if (focusShown && focusSlot >= 0 && buttons[focusSlot] == button) {
        drawFocusRectangle(b);
    }
}

bool UpdateWizard::pollButtonClick(Button* button) {
    if (button == nullptr || !isClickable(*button)) {
        return false;
    }
    if (button->autoClick) {
        button->autoClick = 0;
        return true;
    }
    if (mouse == nullptr) {
        return false;
    }
    std::uint8_t isDown = 0;
    std::int16_t mx = 0;
    std::int16_t my = 0;
    mouse->getLeftButton(isDown);
    mouse->getPosition(mx, my);
    if (isDown == button->lastButtonDown) {
        return false;
    }
    button->lastButtonDown = isDown;

    const bool inside = button->x < mx && mx < button->x + button->width && button->y < my &&
                        my < button->y + button->height;
    bool clicked = false;
    if (inside && isDown) {
        button->pressed = 1;
    } else if (inside) {
        clicked = button->pressed != 0;
        button->pressed = 0;
    } else {
        button->pressed = 0;
    }
    drawButton(button);
    return clicked;
}
