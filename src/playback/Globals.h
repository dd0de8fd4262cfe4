#pragma once
// The process-wide playback objects. The application creates and frees them; PlaybackInfo is
// nullptr outside that window.

#include <memory>

#include "playback/PlaybackItem.h"

namespace pvx::playback {

class TPlaybackInfo;

extern TPlaybackInfo* PlaybackInfo;
// The item being filled while a recording runs, or none.
extern std::unique_ptr<TPlaybackItem> PendingPlaybackItem;

}  // namespace pvx::playback
