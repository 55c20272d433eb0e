#include <cstdlib>

#include "app/bwio.h"
#include "platform/messages.h"
#include "wizard/devices.h"

namespace {
KEYBOARD* keyboardSlot = nullptr;
}

KEYBOARD::KEYBOARD() {
    if (keyboardSlot != nullptr) {
        platform().messageBox("Error", "Second KEYBOARD class declared.");
        std::exit(-1);
    }
    keyboardSlot = this;
}

KEYBOARD::~KEYBOARD() {
    if (keyboardSlot == this)
        keyboardSlot = nullptr;
}

bool KEYBOARD::readKey(std::uint8_t& character, std::uint32_t& keyCode) {
    character = input::characterLatch;
    keyCode = input::keyLatch;
    input::characterLatch = 0;
    input::keyLatch = 0;
    return character != 0 || keyCode != 0;
}

void KEYBOARD::clearKeys() {
    input::characterLatch = 0;
    input::keyLatch = 0;
    input::shiftLatch = 0;
}

bool KEYBOARD::shiftWasDown() const {
    return input::shiftLatch != 0;
}

int KEYBOARD::readPressedSlot() {
    const int slot = input::pressLatch - 1;
    input::pressLatch = 0;
    return slot;
}

LogicalKey KEYBOARD::logicalKey(std::uint32_t keyCode) {
    switch (keyCode) {
    case win::kVkLeft:
        return KeyLeft;
    case win::kVkRight:
        return KeyRight;
    case win::kVkBack:
        return KeyBackspace;
    case win::kVkDelete:
        return KeyDelete;
    case win::kVkEscape:
        return KeyEscape;
    case win::kVkReturn:
        return KeyEnter;
    case win::kVkTab:
        return KeyTab;
    case win::kVkInsert:
        return KeyInsert;
    case win::kVkAdd:
        return KeyPlus;
    case win::kVkSubtract:
        return KeyMinus;
    default:
        break;
    }
    if (keyCode >= win::kVkF1 && keyCode <= win::kVkF1 + 8)
        return static_cast<LogicalKey>(KeyF1 + static_cast<int>(keyCode - win::kVkF1));
    return KeyNone;
}

KEYBOARD* KEYBOARD::instance() {
    return keyboardSlot;
}
