#pragma once
// The playback unit's state for one run of the program: the Done and Recent lists, the Done-list
// item of the running recording, and the two players with what the application gave them. The
// application owns it; the routines of FilePlayback.h, TimeShiftRoutines.h, PendingItem.h and
// Player.h work on the session they are given.

#include <memory>

#include "playback/FilePlayback.h"
#include "playback/PlaybackInfo.h"
#include "playback/PlaybackItem.h"
#include "playback/TimeShiftRoutines.h"

namespace pvx::playback {

struct TPlaybackSession {
  // Loaded when the session is made, saved when it is freed.
  TPlaybackInfo Lists;
  // The item being filled while a recording runs, or none.
  std::unique_ptr<TPlaybackItem> Pending;
  TPlaybackHooks FileHooks;
  // The file being played, or none.
  std::unique_ptr<TPlaybackProject> File;
  TTimeShiftHooks TimeShiftHooks;
  // The current time-shift player, or none.
  std::unique_ptr<TTimeShiftPlaybackProject> TimeShift;
  // What the play list plays its entries through.
  TFilePlayer ListPlayer{*this};

  TPlaybackSession() { Lists.FilePlayer = &ListPlayer; }
  TPlaybackSession(const TPlaybackSession&) = delete;
  TPlaybackSession& operator=(const TPlaybackSession&) = delete;
};

}  // namespace pvx::playback
