#pragma once
// The recording modes' enter and leave actions: the engine's recording or time-shift graph and
// the Done-list item that a finished recording becomes.

namespace pvx::app {

struct TShell;

// amCapture: a recording with the user's settings (never the time-shift profile).
bool StartCapture(TShell& shell);
bool StopCapture(TShell& shell);
// amTimeShifting: the time-shift buffer; ending it keeps the file only when it is to be saved.
bool StartTimeShiftRecording(TShell& shell);
bool EndTimeShift(TShell& shell);

}  // namespace pvx::app
