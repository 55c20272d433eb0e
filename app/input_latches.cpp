#include "wizard/devices.h"

namespace input {
std::int16_t mouseX = 0;
std::int16_t mouseY = 0;
std::uint8_t leftButton = 0;
std::uint8_t rightButton = 0;
std::uint8_t middleButton = 0;
std::int32_t wheelTotal = 0;
std::uint32_t keyLatch = 0;
std::uint8_t characterLatch = 0;
std::uint8_t shiftLatch = 0;
std::int32_t pressLatch = 0;
} // namespace input
