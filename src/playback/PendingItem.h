#pragma once
// The Done-list item of a running recording, kept in the session from the start of the
// recording until it ends.

#include <QDateTime>
#include <QString>

#include "playback/PlaybackItem.h"

namespace pvx::playback {

struct TPlaybackSession;

// What the recorder knows once a recording has ended well.
struct TFinishedRecording {
  qint32 Channel = 0;  // 0 when the source is not the tuner
  QString FilePath;
  QString Description;  // "", "Time Shifting" or "Scheduled"
  bool AudioOnly = false;
};

// A recording started: a fresh pending item (StartTime now, not scheduled), replacing any
// earlier one. The scheduled hand-off marks it Scheduled through the returned item.
TPlaybackItem& BeginPendingItem(TPlaybackSession& session, const QDateTime& now = QDateTime::currentDateTime());

// A recording ended well: completes the pending item and adds it to the Done list. False when
// there was no pending item or the file was already listed; the pending item is gone in every
// case.
bool FinishPendingItem(TPlaybackSession& session, const TFinishedRecording& done,
                       const QDateTime& now = QDateTime::currentDateTime());

// The running recording is the scheduler's; nothing when no recording runs.
void MarkPendingItemScheduled(TPlaybackSession& session);

// A recording failed to start or ended badly.
void DropPendingItem(TPlaybackSession& session);

}  // namespace pvx::playback
