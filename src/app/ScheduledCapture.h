#pragma once
// The scheduler's recording in the running program: the entry and exit actions of
// amScheduledCapture, over the hand-off's sequence.

namespace pvx::app {

struct TShell;

// Starts the recording Relay.rec orders; false (the scheduler told) when it does not start.
bool StartScheduledRecording(TShell& shell);
// Ends it and puts back what the order changed; a closing program stays on its TV or FM side.
bool EndScheduledRecording(TShell& shell, bool programClosing);
// The stop of the scheduler's recording returns to the side (TV or FM) the order found.
bool ScheduledReturnsToFM(const TShell& shell);

}  // namespace pvx::app
