#include "playback/Player.h"

#include "playback/PlaybackSession.h"

namespace pvx::playback {

IPlayer* ActivePlayer(TPlaybackSession& session) {
  if (session.File) return session.File.get();
  return session.TimeShift.get();
}

void ReleasePlayers(TPlaybackSession& session) {
  session.File.reset();
  session.TimeShift.reset();
  session.FileHooks = {};
  session.TimeShiftHooks = {};
}

void ForEachPlayer(TPlaybackSession& session, const std::function<void(IPlayer&)>& command) {
  if (session.File) command(*session.File);
  if (session.TimeShift) command(*session.TimeShift);
}

}  // namespace pvx::playback
