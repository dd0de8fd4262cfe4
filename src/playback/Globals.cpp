#include "playback/Globals.h"

namespace pvx::playback {

TPlaybackInfo* PlaybackInfo = nullptr;
std::unique_ptr<TPlaybackItem> PendingPlaybackItem;

}  // namespace pvx::playback
