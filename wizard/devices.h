// MOUSE and KEYBOARD: the window procedure latches input, the frame step polls it.
#pragma once

#include <cstdint>

#include "platform/platform.h"

enum LogicalKey : int {
    KeyNone = 0,
    KeyLeft = 1,
    KeyRight = 2,
    KeyBackspace = 3,
    KeyDelete = 4,
    KeyEscape = 5,
    KeyEnter = 6,
    KeyTab = 7,
    KeyInsert = 8,
    KeyPlus = 9,
    KeyMinus = 10,
    KeyF1 = 11,
    KeyF2,
    KeyF3,
    KeyF4,
    KeyF5,
    KeyF6,
    KeyF7,
    KeyF8,
    KeyF9,
};

enum CursorState : std::int32_t {
    CursorArrow = 0,
    CursorBusy = 1,
    CursorHand = 2,
};

inline constexpr int CursorArrowResource = 101;
inline constexpr int CursorBusyResource = 102;
inline constexpr int CursorHandResource = 103;
inline constexpr int WindowIconResource = 100;

// Module-level latches, written by the window procedure.
namespace input {
extern std::int16_t mouseX;
extern std::int16_t mouseY;
extern std::uint8_t leftButton;
extern std::uint8_t rightButton;
extern std::uint8_t middleButton;
extern std::int32_t wheelTotal;
extern std::uint32_t keyLatch;
extern std::uint8_t characterLatch;
// Whether Shift was down at the newest key-down message.
extern std::uint8_t shiftLatch;
// 1 + the slot whose button assistive technology pressed; 0 = none.
extern std::int32_t pressLatch;
} // namespace input

class MOUSE {
  public:
    MOUSE();
    ~MOUSE();
    MOUSE(const MOUSE&) = delete;
    MOUSE& operator=(const MOUSE&) = delete;

    void setCursorState(std::int32_t state);
    void refreshCursor();
    void getPosition(std::int16_t& x, std::int16_t& y) const;
    void getLeftButton(std::uint8_t& isDown) const;
    void clearButtons();

    static MOUSE* instance();

    std::int32_t cursorState = -1;
};

class KEYBOARD {
  public:
    KEYBOARD();
    ~KEYBOARD();
    KEYBOARD(const KEYBOARD&) = delete;
    KEYBOARD& operator=(const KEYBOARD&) = delete;

    bool readKey(std::uint8_t& character, std::uint32_t& keyCode);
    void clearKeys();
    static LogicalKey logicalKey(std::uint32_t keyCode);
    // Whether Shift was held with the key readKey gave last.
    bool shiftWasDown() const;
    // The slot whose button assistive technology pressed since the last call;
    // -1 for none.
    int readPressedSlot();

    static KEYBOARD* instance();
};
