// An unattended run answers each screen the way a user at the window would:
// through the wizard's own buttons, clicked from the keyboard's Enter path
// (autoClick), so the update runs exactly as it does when clicked.
#pragma once

// One per unattended run: it counts that run's frames.
class SilentAnswers {
  public:
    // Called before each frame step: clicks the answer of the screen on show.
    void answerCurrentScreen();

  private:
    int frames_ = 0;
};
