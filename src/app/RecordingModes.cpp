#include "app/RecordingModes.h"

#include "app/ShellContext.h"
#include "engine/CaptureInfo.h"
#include "playback/Globals.h"
#include "playback/PendingItem.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::app {

using namespace pvx::settings;

namespace {

int RecordedChannel() {
  if (!ChannelInfo || ChannelInfo->VideoSource != TChannelInfo::kTuner) return 0;
  return ChannelInfo->CurrentChannel();
}

// The pending item becomes a Done-list entry; true when it was listed.
bool ListRecording(const QString& file, const QString& description, bool audioOnly) {
  return playback::FinishPendingItem({RecordedChannel(), file, description, audioOnly});
}

}  // namespace

bool StartCapture(TShell& shell) {
  engine::TCaptureInfo& capture = *shell.Capture;
  if (!capture.StartRecording()) {
    playback::DropPendingItem();
    return false;
  }
  playback::BeginPendingItem();
  return true;
}

bool StopCapture(TShell& shell, const QString& description) {
  engine::TCaptureInfo& capture = *shell.Capture;
  // The recording may have ended already (its graph failed): leaving still stops the graph.
  if (!capture.Recording()) {
    playback::DropPendingItem();
    return capture.StopPreview();
  }
  if (!capture.StopRecording()) {
    // The file could not be completed (said already); the recording has ended all the same.
    playback::DropPendingItem();
    return !capture.Recording();
  }
  ListRecording(capture.Recorder().CurrentFile, description, capture.IsAudioOnly());
  shell.Main->GivenFilePath = capture.Recorder().CurrentFile;
  return true;
}

}  // namespace pvx::app
