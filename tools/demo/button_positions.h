// Where a user clicks: the centres of the buttons a demo update presses, read
// from the wizard's own slots on the headless desktop, for driving a real window.
#pragma once

namespace demo {

struct Point {
    int x = -1;
    int y = -1;
};

struct ButtonPositions {
    Point language; // the language's button on the language screen
    Point next;     // Next on the version screen
    Point yes;      // Yes on the quick-start question
    Point finish;   // Finish on the completion screen
};

// Runs the wizard headless in the current folder (which holds the fonts).
ButtonPositions findButtonPositions(int language);

} // namespace demo
