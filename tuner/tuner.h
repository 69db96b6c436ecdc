// Holding the receiver card for the run. All three run on the
// user-interface thread.
#pragma once

// True when the card could not be opened (a message has been shown, except
// when the card has no tuner control interface).
bool openTuner();
// Sends the tuning parameters to the card. True when a call failed: its
// message has been shown and the main window destroyed.
bool tuneTransponder();
void releaseTuner();
