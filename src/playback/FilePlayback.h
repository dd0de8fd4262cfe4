#pragma once
// The playback unit: the single file player and the routines the main window's commands and the
// play list call. The application fills the session's FileHooks once at start-up.

#include <QString>
#include <functional>
#include <memory>

#include "playback/FilePlayer.h"
#include "playback/PlaybackProject.h"

namespace pvx::platform::graph {
class TComponentRegistry;
}
namespace pvx::engine {
class ISnapshotSink;
}

namespace pvx::playback {

struct TPlaybackSession;

struct TPlaybackHooks {
  const platform::graph::TComponentRegistry* Components = nullptr;
  // Where the picture goes; no widget leaves the window hidden (tests, benchmarks).
  platform::video::TVideoHost Host;
  // The main settings' PIPEnabled, read at each PlayFile.
  std::function<bool()> PIPEnabled;
  std::function<void(int position, int current, int total)> OnProgress;
  std::function<void()> OnComplete;
  // Lays the player's window out: filling the video area, or as the inset when `pip`.
  std::function<void(platform::video::IVideoWindow* window, bool pip)> OnVideoWindow;
  // The snapshot store, which shows what it is given.
  engine::ISnapshotSink* Snapshots = nullptr;
  // The time-shift player: plays a stored ".mpv" file, and stops what it plays (a no-op when
  // it plays nothing).
  std::function<bool(const QString& path)> PlayTimeShiftFile;
  std::function<void()> StopTimeShiftPlayback;
};

// How long StopPlayback waits for a graph to finish before it frees it anyway.
inline constexpr int kStopWaitMs = 3000;

// Stops whatever plays, then plays the file: a ".mpv" through the time-shift player, anything
// else here. Refuses MPEG-2 transport streams; a file that cannot be played is reported.
bool PlayFile(TPlaybackSession& session, const QString& path);
bool StopPlayback(TPlaybackSession& session);
bool FilePlaybackActive(TPlaybackSession& session);
// The commands; each does nothing (and succeeds) while no file plays. Pause, resume and the
// steps go to whichever player runs (playback/Player.h).
bool SnapshotPlayback(TPlaybackSession& session);
// Rates 1, 2, 4, 8, 1 ... and 1, 1/2, 1/4, 1/8, 1 ...; either one from the other's range
// goes back to normal speed first.
bool FasterPlayback(TPlaybackSession& session);
bool SlowerPlayback(TPlaybackSession& session);
int NextFasterRate(int index);
int NextSlowerRate(int index);

// What the play list plays its entries through.
class TFilePlayer final : public IFilePlayer {
 public:
  explicit TFilePlayer(TPlaybackSession& session) : session_(session) {}
  bool PlayFile(const QString& path) override { return playback::PlayFile(session_, path); }

 private:
  TPlaybackSession& session_;
};

}  // namespace pvx::playback
