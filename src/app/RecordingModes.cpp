#include "app/RecordingModes.h"

#include "app/ModeCommands.h"
#include "app/ShellContext.h"
#include "handoff/SchedulerLink.h"
#include "platform/ipc/Messages.h"
#include "settings/ErrorMessages.h"
#include "engine/CaptureInfo.h"
#include "playback/PlaybackSession.h"
#include "playback/PendingItem.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::app {

using namespace pvx::settings;

namespace {

// The pending item becomes a Done-list entry; true when it was listed.
bool ListRecording(TShell& shell, const QString& file, const QString& description, bool audioOnly) {
  return playback::FinishPendingItem(*shell.Playback, {RecordedChannel(shell), file, description, audioOnly});
}

}  // namespace

int RecordedChannel(const TShell& shell) {
  const TChannelInfo& channels = *shell.Channels;
  return channels.VideoSource() == TChannelInfo::kTuner ? channels.CurrentChannel() : 0;
}

bool StartCapture(TShell& shell) {
  engine::TCaptureInfo& capture = *shell.Capture;
  if (!capture.StartRecording()) {
    playback::DropPendingItem(*shell.Playback);
    return false;
  }
  playback::BeginPendingItem(*shell.Playback);
  return true;
}

bool StopCapture(TShell& shell, const QString& description) {
  engine::TCaptureInfo& capture = *shell.Capture;
  // The recording may have ended already (its graph failed): leaving still stops the graph.
  if (!capture.Recording()) {
    playback::DropPendingItem(*shell.Playback);
    return capture.StopPreview();
  }
  if (!capture.StopRecording()) {
    // The file could not be completed (said already); the recording has ended all the same.
    playback::DropPendingItem(*shell.Playback);
    return !capture.Recording();
  }
  ListRecording(shell, capture.Recorder().CurrentFile, description, capture.IsAudioOnly());
  shell.Main->SetGivenFile(capture.Recorder().CurrentFile);
  return true;
}

void EndRecordingAsTold(TShell& shell, qint64 freeLess500k) {
  const bool unattended = shell.Capture->Unattended();
  StopRecordingMode(shell);
  // The engine reports the room left above its reserve: none left is a full disk.
  if (freeLess500k > 0) return;  // a time limit
  if (unattended)
    handoff::TellScheduler(platform::ipc::kScheduledDiskFull);
  else
    ShowErrorCode(1101);
}

void EndRecordingOnLostDevice(TShell& shell, bool unattended, const QString& message, const QString& file) {
  // Leaving the recording modes completes and lists the file; the engine stops what is left.
  const TAppMode mode = TAppMode(shell.Main->Mode());
  if (mode == amCapture || mode == amScheduledCapture || mode == amTimeShifting || mode == amTimeShiftPlayback)
    StopRecordingMode(shell);
  if (unattended) {
    handoff::TellScheduler(platform::ipc::kScheduledSourceUnavailable);
    return;
  }
  QStringList lines{message.isEmpty() ? QStringLiteral("The capture device stopped working.") : message};
  if (!file.isEmpty()) lines << QStringLiteral("What was recorded until then is saved in %1").arg(file);
  lines << QStringLiteral("Check that the card is connected, then choose the source again.");
  ShowErrorText(lines.join('\n'));
}

}  // namespace pvx::app
