#pragma once
// The recording mode's enter and leave actions: the engine's recording and the Done-list item
// that a finished recording becomes.

namespace pvx::app {

struct TShell;

// amCapture: a recording with the user's settings (never the time-shift profile).
bool StartCapture(TShell& shell);
bool StopCapture(TShell& shell);

}  // namespace pvx::app
