#include "playback/TimeShiftRoutines.h"

#include <QFile>

#include "engine/CaptureInfo.h"
#include "playback/PendingItem.h"
#include "playback/PlaybackSession.h"
#include "settings/ErrorMessages.h"

namespace pvx::playback {

namespace {

std::unique_ptr<TTimeShiftPlaybackProject> NewPlayer(const TTimeShiftHooks& hooks, bool pip, bool singleFile) {
  auto player = std::make_unique<TTimeShiftPlaybackProject>(*hooks.Components, hooks.Host, pip, singleFile);
  player->OnProgress = hooks.OnProgress;
  player->Snapshots = hooks.Snapshots;
  player->ShowVideoWindow = hooks.ShowVideoWindow;
  return player;
}

// Builds and runs the player as the current one; a player that cannot play is not kept.
bool Start(TPlaybackSession& session, std::unique_ptr<TTimeShiftPlaybackProject> player) {
  if (!player->BuildGraph()) return false;
  if (session.TimeShiftHooks.OnVideoWindow && player->VideoWindow())
    session.TimeShiftHooks.OnVideoWindow(player->VideoWindow());
  if (!player->Play()) return false;
  session.TimeShift = std::move(player);
  return true;
}

}  // namespace

bool StartTimeShiftRecording(TPlaybackSession& session, engine::TCaptureInfo& capture) {
  const bool started = capture.StartTimeShift();
  if (started && capture.Settings().SaveTimeShift)
    BeginPendingItem(session);
  else
    DropPendingItem(session);
  return started;
}

bool StartTimeShiftPlayback(TPlaybackSession& session, engine::TCaptureInfo& capture) {
  if (!session.TimeShiftHooks.Components) return false;
  StopTimeShiftPlayback(session);
  if (capture.StillShown()) capture.SetStillShown(false);
  auto player = NewPlayer(session.TimeShiftHooks, false, false);
  player->Live = capture.Recording() && capture.TimeShift().Active;
  const engine::TRecordingState& recorder = capture.Recorder();
  player->RecordedSeconds = [&recorder] { return recorder.ElapsedSeconds; };
  player->FileName = recorder.CurrentFile;
  player->AudioFileName = TimeShiftAudioFile(player->FileName);
  return Start(session, std::move(player));
}

bool PlayTimeShiftFile(TPlaybackSession& session, const QString& path) {
  const TTimeShiftHooks& hooks = session.TimeShiftHooks;
  if (!hooks.Components) return false;
  StopTimeShiftPlayback(session);
  auto player = NewPlayer(hooks, hooks.PIPEnabled && hooks.PIPEnabled(), true);
  player->FileName = path;
  player->AudioFileName = TimeShiftAudioFile(path);
  return Start(session, std::move(player));
}

bool StopTimeShiftPlayback(TPlaybackSession& session) {
  if (!session.TimeShift) return true;
  // The graph's Stop has joined its streaming threads: nothing is left to wait for.
  if (!session.TimeShift->Stop()) return false;
  session.TimeShift.reset();
  return true;
}

bool EndTimeShift(TPlaybackSession& session, engine::TCaptureInfo& capture) {
  // The files go away below; a player that would not stop must not keep reading them.
  if (!StopTimeShiftPlayback(session)) session.TimeShift.reset();
  if (!capture.Recording()) {
    DropPendingItem(session);
    return capture.StopPreview();
  }
  const bool save = capture.Settings().SaveTimeShift;
  const QString video = capture.Recorder().CurrentFile;
  // Stops the recorder, puts the recording settings back and removes a still.
  const bool stopped = capture.StopTimeShift();
  const int channel = session.TimeShiftHooks.RecordedChannel ? session.TimeShiftHooks.RecordedChannel() : 0;
  if (stopped)
    FinishPendingItem(session, {channel, video, QStringLiteral("Time Shifting"), false});
  else
    DropPendingItem(session);
  if (!save && !video.isEmpty()) {
    QFile::remove(video);
    QFile::remove(TimeShiftAudioFile(video));
  }
  return stopped || !capture.Recording();
}

bool SnapshotTimeShiftPlayback(TPlaybackSession& session) {
  if (!session.TimeShift) return true;
  const bool ok = session.TimeShift->GrabFrame();
  if (!ok) settings::ShowErrorCode(1008);
  return ok;
}

}  // namespace pvx::playback
