// The loop that drives whatever application object exists, one frame at a time.
#pragma once

// Runs frame steps and message pumps on shell::application until a frame step
// returns false or the window asked to close. Sets running for its duration.
void runMainLoop();
