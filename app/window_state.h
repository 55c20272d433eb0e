// The window's own module-level state, shared by the graphics operations and the
// window procedure.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace window_state {
extern std::int16_t borderWidth;
extern std::int16_t borderHeight;
extern std::int16_t captionHeight;
extern std::int16_t workAreaWidth;
extern std::int16_t workAreaHeight;
extern std::int16_t minWidth;
extern std::int16_t maxWidth;
extern std::int16_t minHeight;
extern std::int16_t maxHeight;

// Re-reads the desktop's work area into workAreaWidth and workAreaHeight.
void readWorkArea();
} // namespace window_state
