#pragma once
// The recording mode's enter and leave actions: the engine's recording and the Done-list item
// that a finished recording becomes.

#include <QString>

namespace pvx::app {

struct TShell;

// amCapture: a recording with the user's settings (never the time-shift profile).
bool StartCapture(TShell& shell);
// The finished file is listed with the description ("Scheduled" for the scheduler's own).
bool StopCapture(TShell& shell, const QString& description = QString());

}  // namespace pvx::app
