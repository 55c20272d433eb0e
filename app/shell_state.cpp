#include "app/bwio.h"

namespace shell {
InstanceHandle instanceHandle = nullptr;
const char* commandLine = nullptr;
BWIO* application = nullptr;
bool running = false;
bool closeRequested = false;
bool painting = false;
std::function<void()> beforeFrame;
} // namespace shell
