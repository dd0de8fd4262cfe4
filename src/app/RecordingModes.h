#pragma once
// The recording mode's enter and leave actions: the engine's recording and the Done-list item
// that a finished recording becomes.

#include <QString>

namespace pvx::app {

struct TShell;

// The tuner channel being recorded, for the Done list; 0 for another source.
int RecordedChannel(const TShell& shell);
// amCapture: a recording with the user's settings (never the time-shift profile).
bool StartCapture(TShell& shell);
// The finished file is listed with the description ("Scheduled" for the scheduler's own).
bool StopCapture(TShell& shell, const QString& description = QString());

// The engine says a recording must stop (its time limit, a full disk): the recording mode is
// left, and a full disk is reported, to the scheduler when it ordered the recording.
void EndRecordingAsTold(TShell& shell, qint64 freeLess500k);
// The card stopped working: the recording mode is left (the file completed and listed) and
// the user, or the scheduler, told what happened.
void EndRecordingOnLostDevice(TShell& shell, bool unattended, const QString& message, const QString& file);

}  // namespace pvx::app
