// Finds text that does not fit where a screen puts it: a caption wider than its
// button, a line running past its panel or over a button, a header wider than
// the window, and wrapped text that found no slot left.
#pragma once

#include <string>
#include <vector>

class UpdateWizard;

namespace screens {

struct Finding {
    int slot; // -1 for text drawn straight into the frame buffer
    std::string text;
    std::string problem;
};

// Checks the screen the wizard has just built for its state and language.
std::vector<Finding> checkTextFit(const UpdateWizard& wizard);

// The Button text with the least room to spare across its box or panel: what a
// translator should watch. spare is negative for text that does not fit.
struct TightestFit {
    int slot = -1;
    std::string text;
    int spare = 1 << 30;
};
TightestFit tightestFit(const UpdateWizard& wizard);

} // namespace screens
