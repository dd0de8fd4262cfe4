#include "playback/TimeShiftRoutines.h"

#include <QFile>

#include "engine/CaptureInfo.h"
#include "playback/Globals.h"
#include "playback/PendingItem.h"
#include "settings/ChannelInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::playback {

TTimeShiftHooks TimeShiftHooks;
std::unique_ptr<TTimeShiftPlaybackProject> TimeShiftPlayback;

namespace {

std::unique_ptr<TTimeShiftPlaybackProject> NewPlayer(bool pip, bool singleFile) {
  auto player = std::make_unique<TTimeShiftPlaybackProject>(*TimeShiftHooks.Components,
                                                            TimeShiftHooks.Host, pip, singleFile);
  player->OnProgress = TimeShiftHooks.OnProgress;
  player->Snapshots = TimeShiftHooks.Snapshots;
  player->ShowVideoWindow = TimeShiftHooks.ShowVideoWindow;
  return player;
}

// Builds and runs the player as the current one; a player that cannot play is not kept.
bool Start(std::unique_ptr<TTimeShiftPlaybackProject> player) {
  if (!player->BuildGraph()) return false;
  if (TimeShiftHooks.OnVideoWindow && player->VideoWindow())
    TimeShiftHooks.OnVideoWindow(player->VideoWindow());
  if (!player->Play()) return false;
  TimeShiftPlayback = std::move(player);
  return true;
}

int RecordedChannel() {
  using settings::ChannelInfo;
  if (!ChannelInfo || ChannelInfo->VideoSource() != settings::TChannelInfo::kTuner) return 0;
  return ChannelInfo->CurrentChannel();
}

}  // namespace

bool StartTimeShiftRecording(engine::TCaptureInfo& capture) {
  const bool started = capture.StartTimeShift();
  if (started && capture.Settings().SaveTimeShift)
    BeginPendingItem();
  else
    DropPendingItem();
  return started;
}

bool StartTimeShiftPlayback(engine::TCaptureInfo& capture) {
  if (!TimeShiftHooks.Components) return false;
  StopTimeShiftPlayback();
  if (capture.StillShown()) capture.SetStillShown(false);
  auto player = NewPlayer(false, false);
  player->Live = capture.Recording() && capture.TimeShift().Active;
  const engine::TRecordingState& recorder = capture.Recorder();
  player->RecordedSeconds = [&recorder] { return recorder.ElapsedSeconds; };
  player->FileName = recorder.CurrentFile;
  player->AudioFileName = TimeShiftAudioFile(player->FileName);
  return Start(std::move(player));
}

bool PlayTimeShiftFile(const QString& path) {
  if (!TimeShiftHooks.Components) return false;
  StopTimeShiftPlayback();
  auto player = NewPlayer(settings::MainInfo && settings::MainInfo->Prefs().PIPEnabled, true);
  player->FileName = path;
  player->AudioFileName = TimeShiftAudioFile(path);
  return Start(std::move(player));
}

bool StopTimeShiftPlayback() {
  if (!TimeShiftPlayback) return true;
  // The graph's Stop has joined its streaming threads: nothing is left to wait for.
  if (!TimeShiftPlayback->Stop()) return false;
  TimeShiftPlayback.reset();
  return true;
}

bool EndTimeShift(engine::TCaptureInfo& capture) {
  // The files go away below; a player that would not stop must not keep reading them.
  if (!StopTimeShiftPlayback()) TimeShiftPlayback.reset();
  if (!capture.Recording()) {
    DropPendingItem();
    return capture.StopPreview();
  }
  const bool save = capture.Settings().SaveTimeShift;
  const QString video = capture.Recorder().CurrentFile;
  // Stops the recorder, puts the recording settings back and removes a still.
  const bool stopped = capture.StopTimeShift();
  if (stopped)
    FinishPendingItem({RecordedChannel(), video, QStringLiteral("Time Shifting"), false});
  else
    DropPendingItem();
  if (!save && !video.isEmpty()) {
    QFile::remove(video);
    QFile::remove(TimeShiftAudioFile(video));
  }
  return stopped || !capture.Recording();
}

bool SnapshotTimeShiftPlayback() {
  if (!TimeShiftPlayback) return true;
  const bool ok = TimeShiftPlayback->GrabFrame();
  if (!ok) settings::ShowErrorCode(1008);
  return ok;
}

}  // namespace pvx::playback
