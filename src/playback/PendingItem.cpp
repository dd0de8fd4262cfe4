#include "playback/PendingItem.h"

#include "playback/Globals.h"
#include "playback/PlaybackInfo.h"

namespace pvx::playback {

TPlaybackItem& BeginPendingItem(const QDateTime& now) {
  PendingPlaybackItem = std::make_unique<TPlaybackItem>();
  PendingPlaybackItem->StartTime = now;
  return *PendingPlaybackItem;
}

bool FinishPendingItem(const TFinishedRecording& done, const QDateTime& now) {
  std::unique_ptr<TPlaybackItem> item = std::move(PendingPlaybackItem);
  if (!item || !PlaybackInfo) return false;
  item->Channel = done.Channel;
  item->EndTime = now;
  item->FilePath = done.FilePath;
  item->Description = done.Description;
  item->AudioOnly = done.AudioOnly;
  return PlaybackInfo->AddItem(item);
}

void MarkPendingItemScheduled() {
  if (PendingPlaybackItem) PendingPlaybackItem->Scheduled = true;
}

void DropPendingItem() { PendingPlaybackItem.reset(); }

}  // namespace pvx::playback
