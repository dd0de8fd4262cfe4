#pragma once
// The playback unit's time-shift routines: the one current time-shift player, started from the
// recorder's growing pair or from a stored ".mpv" file, its commands, and the end of a
// time-shift run (player, recorder, Done-list item, files).

#include <QString>
#include <functional>
#include <memory>

#include "playback/TimeShiftPlayback.h"

namespace pvx::engine {
class TCaptureInfo;
}

namespace pvx::playback {

struct TPlaybackSession;

// What the application gives the player; set once by start-up.
struct TTimeShiftHooks {
  const platform::graph::TComponentRegistry* Components = nullptr;
  platform::video::TVideoHost Host;
  // A player's new video window, for the main window to lay out.
  std::function<void(platform::video::IVideoWindow*)> OnVideoWindow;
  // The real-screen toggle shows and hides the picture's widget.
  std::function<void(platform::video::IVideoWindow&, bool visible)> ShowVideoWindow;
  std::function<void(TTimeShiftPlaybackProject&, int position, int current, int total)> OnProgress;
  engine::ISnapshotSink* Snapshots = nullptr;
  // The main settings' PIPEnabled, read when a stored file starts.
  std::function<bool()> PIPEnabled;
  // The tuner channel a time-shift run records, for its Done-list item; 0 for another source.
  std::function<int()> RecordedChannel;
};

// Starts the recorder on the time-shift pair; the Done-list item is begun only when the files
// are to be kept.
bool StartTimeShiftRecording(TPlaybackSession& session, engine::TCaptureInfo& capture);
// Plays the recorder's pair (live while it records) behind any still picture. False, with no
// player left, when the graph cannot be built or run.
bool StartTimeShiftPlayback(TPlaybackSession& session, engine::TCaptureInfo& capture);
// A stored ".mpv" file (and its ".mpa" sound) through the time-shift splitter.
bool PlayTimeShiftFile(TPlaybackSession& session, const QString& path);
// False, keeping the player, when its graph does not stop; true when there is none.
bool StopTimeShiftPlayback(TPlaybackSession& session);
// Ends the run: the player, the recorder, the Done-list item "Time Shifting" when the files are
// kept, the still, the recording settings, and the files themselves unless kept. Returns
// whether the recorder stopped.
bool EndTimeShift(TPlaybackSession& session, engine::TCaptureInfo& capture);

// Shows error 1008 when no picture could be taken.
bool SnapshotTimeShiftPlayback(TPlaybackSession& session);

}  // namespace pvx::playback
