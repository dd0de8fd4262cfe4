#include "playback/PendingItem.h"

#include "playback/PlaybackSession.h"

namespace pvx::playback {

TPlaybackItem& BeginPendingItem(TPlaybackSession& session, const QDateTime& now) {
  session.Pending = std::make_unique<TPlaybackItem>();
  session.Pending->StartTime = now;
  return *session.Pending;
}

bool FinishPendingItem(TPlaybackSession& session, const TFinishedRecording& done, const QDateTime& now) {
  std::unique_ptr<TPlaybackItem> item = std::move(session.Pending);
  if (!item) return false;
  item->Channel = done.Channel;
  item->EndTime = now;
  item->FilePath = done.FilePath;
  item->Description = done.Description;
  item->AudioOnly = done.AudioOnly;
  if (!session.Lists.AddItem(item)) return false;
  // On disk at once: a crash or a power cut later in the run must not forget the recording.
  session.Lists.SaveItems();
  return true;
}

void MarkPendingItemScheduled(TPlaybackSession& session) {
  if (session.Pending) session.Pending->Scheduled = true;
}

void DropPendingItem(TPlaybackSession& session) { session.Pending.reset(); }

}  // namespace pvx::playback
