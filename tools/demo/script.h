// Drives the whole program on the headless desktop, frame by frame, as a user
// would: the demo's player, the wizard's tests and the unattended-run comparison
// all use it.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/messages.h"

class UpdateWizard;

namespace demo {

// A step is called once per frame, after the frame's messages, until it returns
// true; messages it posts reach the next frame step.
class Script {
  public:
    Script& then(std::function<bool(UpdateWizard&)> step);
    Script& waitState(std::int16_t state);
    // A press in this frame and the release in the next, at the slot's centre.
    Script& clickSlot(int slot);
    Script& post(std::uint32_t message, WParam wParam);
    Script& key(std::uint32_t virtualKey, std::size_t times = 1);
    // One character per frame, without the key presses.
    Script& type(const std::string& characters);
    // Moves to a point of a slot's button, in halves of its size from its top left
    // corner, and posts the messages there in the same frame.
    Script& mouse(int slot, int halfX, int halfY, std::vector<std::uint32_t> messages);
    // Back from the write-failure screen, then Next and Next: the commit again.
    Script& retry();
    Script& frames(int count);
    Script& check(std::function<void(UpdateWizard&)> body);
    // Runs the program in folder with the given command line until it ends; after
    // frameLimit frames it is asked to close. False when steps were left.
    bool run(const std::filesystem::path& folder, const char* commandLine = "",
             int frameLimit = 5000);
    std::size_t stepsLeft() const { return steps_.size(); }

  private:
    std::deque<std::function<bool(UpdateWizard&)>> steps_;
};

} // namespace demo
