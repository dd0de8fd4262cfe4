#include "playback/Player.h"

#include "playback/FilePlayback.h"
#include "playback/TimeShiftRoutines.h"

namespace pvx::playback {

IPlayer* ActivePlayer() {
  if (FilePlayback) return FilePlayback.get();
  return TimeShiftPlayback.get();
}

void ReleasePlayers() {
  FilePlayback.reset();
  TimeShiftPlayback.reset();
  PlaybackHooks = {};
  TimeShiftHooks = {};
}

void ForEachPlayer(const std::function<void(IPlayer&)>& command) {
  if (FilePlayback) command(*FilePlayback);
  if (TimeShiftPlayback) command(*TimeShiftPlayback);
}

}  // namespace pvx::playback
