#include <cstdlib>

#include "app/bwio.h"
#include "wizard/devices.h"

namespace {

MOUSE* mouseSlot = nullptr;
CursorHandle savedCursor = nullptr;
CursorHandle cursors[3] = {nullptr, nullptr, nullptr};

CursorHandle cursorOfState(std::int32_t state) {
    if (state < CursorArrow || state > CursorHand)
        return nullptr;
    return cursors[state];
}

void loadIfMissing(std::int32_t state, int resource) {
    if (cursors[state] == nullptr)
        cursors[state] = platform().loadCursor(resource);
}

void fallBackIfMissing(std::int32_t state, SystemCursor system) {
    if (cursors[state] == nullptr)
        cursors[state] = platform().loadSystemCursor(system);
}

void destroyIfLoaded(std::int32_t state) {
    if (cursors[state] != nullptr) {
        platform().destroyCursor(cursors[state]);
        cursors[state] = nullptr;
    }
}

} // namespace

MOUSE::MOUSE() {
    if (mouseSlot != nullptr) {
        platform().messageBox("Error", "Second MOUSE class declared.");
        std::exit(-1);
    }
    mouseSlot = this;

    if (savedCursor == nullptr)
        savedCursor = platform().getCursor();

    loadIfMissing(CursorBusy, CursorBusyResource);
    loadIfMissing(CursorArrow, CursorArrowResource);
    loadIfMissing(CursorHand, CursorHandResource);

    fallBackIfMissing(CursorBusy, SystemCursor::Wait);
    fallBackIfMissing(CursorHand, SystemCursor::Arrow);
    fallBackIfMissing(CursorArrow, SystemCursor::Arrow);

    cursorState = -1;
    setCursorState(CursorBusy);
}

MOUSE::~MOUSE() {
    if (savedCursor != nullptr) {
        platform().setCursor(savedCursor);
        savedCursor = nullptr;
    }
    destroyIfLoaded(CursorBusy);
    destroyIfLoaded(CursorArrow);
    destroyIfLoaded(CursorHand);
    if (mouseSlot == this)
        mouseSlot = nullptr;
}

void MOUSE::setCursorState(std::int32_t state) {
    if (state == cursorState)
        return;
    cursorState = state;
    platform().showCursor(false);
    if (CursorHandle cursor = cursorOfState(state); cursor != nullptr)
        platform().setCursor(cursor);
    platform().showCursor(true);
}

void MOUSE::refreshCursor() {
    if (cursorState < CursorArrow || cursorState > CursorHand)
        return;
    CursorHandle wanted = cursors[cursorState];
    if (platform().getCursor() == wanted)
        return;
    platform().showCursor(false);
    platform().setCursor(wanted);
    platform().showCursor(true);
}

void MOUSE::getPosition(std::int16_t& x, std::int16_t& y) const {
    x = input::mouseX;
    y = input::mouseY;
}

void MOUSE::getLeftButton(std::uint8_t& isDown) const {
    isDown = input::leftButton;
}

// The left button is left alone: a repaint while it is held would otherwise read
// as its release, completing a click the user never finished.
void MOUSE::clearButtons() {
    input::rightButton = 0;
}

MOUSE* MOUSE::instance() {
    return mouseSlot;
}
