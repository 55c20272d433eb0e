#include <cstring>

#include "render/font.h"
#include "wizard/layout.h"
#include "wizard/slots.h"
#include "wizard/update_wizard.h"

namespace {

// Position in line of the blank to break at; a blank at the very start would
// leave an empty line, so it does not count.
int lastBreakableBlank(const char* line, int length) {
    for (int p = length - 1; p > 0; --p) {
        if (line[p] == ' ') {
            return p;
        }
    }
    return -1;
}

} // namespace

void UpdateWizard::wrapTextIntoLabels(std::int16_t& slotIndex, std::int16_t x, std::int16_t& y,
                                      std::int16_t widthLimit, const char* text) {
    if (text == nullptr) {
        return;
    }
    char line[200] = {};
    int length = 0;
    int lineStart = 0;
    int i = 0;

    auto emit = [&](int cut) {
        line[cut] = '\0';
        if (slotIndex >= 0 && slotIndex < ButtonSlotCount) {
            placeButton(*this, slotIndex, makeButton(x, y, widthLimit, 0, line, Label, 0, 0));
        }
        ++slotIndex;
        y = static_cast<std::int16_t>(y + LineSpacing);
        length = 0;
        line[0] = '\0';
    };

    while (text[i] != '\0' && slotIndex < ButtonSlotCount) {
        if (length == static_cast<int>(sizeof line) - 1) {
            // The line buffer is full without reaching the width: break here.
            emit(length);
            lineStart = i;
            continue;
        }
        line[length++] = text[i];
        line[length] = '\0';
        if (stringWidth(1, line) < widthLimit) {
            ++i;
            continue;
        }
        const int blank = lastBreakableBlank(line, length);
        if (blank >= 0) {
            i = lineStart + blank;
            while (text[i] == ' ') {
                ++i;
            }
            emit(blank);
        } else if (length > 1) {
            // A word wider than the limit is cut inside; the character that
            // overflowed starts the next line.
            emit(length - 1);
        } else {
            // A single character as wide as the limit still has to go somewhere.
            ++i;
            emit(length);
        }
        lineStart = i;
    }
    if (length > 0 && slotIndex < ButtonSlotCount) {
        emit(length);
    }
}
