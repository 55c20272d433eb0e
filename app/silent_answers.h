// An unattended run answers each screen the way a user at the window would:
// through the wizard's own buttons, clicked from the keyboard's Enter path
// (autoClick), so the update runs exactly as it does when clicked.
#pragma once

// Forgets the previous run's frames.
void startSilentAnswers();
// Called before each frame step: clicks the answer of the screen on show.
void answerCurrentScreen();
