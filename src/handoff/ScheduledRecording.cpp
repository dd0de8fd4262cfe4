#include "handoff/ScheduledRecording.h"

#include "formats/RecordFormats.h"
#include "platform/ipc/Messages.h"

namespace pvx::handoff {

namespace ipc = pvx::platform::ipc;

namespace {

void Apply(const TRelayRecord& r, settings::TCaptureSettings& s) {
  // One index serves the video list and the sound-only list alike.
  s.RecordFormat = r.Format;
  s.AudioFormat = r.Format;
  s.VideoBitRateKbps = r.VideoBitRateKbps;
  s.FrameRateCode = r.FrameRateCode;
  s.CaptureWidth = r.CaptureWidth;
  s.CaptureHeight = r.CaptureHeight;
  s.Quality = r.Quality;
  s.TimeLimitOn = true;
  s.TimeLimit = r.DurationSeconds;
  s.UseDateTimeName = r.UseDateTimeName;
  s.FilePrefix = r.BaseNameText();
  s.RecordKind = r.RecordKind;
}

}  // namespace

bool TScheduledRecording::Start(const QString& relayPath) {
  switched_ = false;
  fmBefore_ = shell_.FMPanelShown();
  TRelayRecord order;
  if (ReadRelayFile(relayPath, order, int(formats::RecordFormats().size())) != TRelayError::None) {
    shell_.TellScheduler(ipc::kScheduledStartRefused);
    return false;
  }
  settings::TCaptureSettings recorder = shell_.RecorderSettings();
  saved_ = engine::SaveRecordingBlock(recorder);
  shell_.SetUnattended(true);
  Apply(order, recorder);
  shell_.SetRecorderSettings(recorder);

  const bool fm = order.Source == rsFM;
  if ((order.Source <= rsMemory && !shell_.HasTuner()) || (fm && !shell_.FMEnabled()))
    return Refuse(ipc::kScheduledSourceUnavailable);
  switched_ = shell_.FMPanelShown() != fm;
  if (switched_) {
    shell_.ToggleTVFM();
    if (shell_.FMPanelShown() != fm) {
      // Still on the side it was: there is nothing to switch back.
      switched_ = false;
      return Refuse(ipc::kScheduledSourceUnavailable);
    }
    shell_.StopPreview();
  }
  // Saved on the side the recording is made from: that side's channel comes back before any
  // switch back, so the switch keeps the right one for later.
  selection_ = shell_.CurrentSelection();
  shell_.SelectSource(order.Source, order.Channel);
  if (!shell_.StartRecording()) {
    shell_.TellScheduler(ipc::kScheduledStartRefused);
    shell_.SetUnattended(false);
    RestoreSettings();
    // The user finds the side and the channel the order found.
    shell_.RestoreSelection(selection_);
    if (switched_) SwitchBack();
    switched_ = false;
    return false;
  }
  shell_.MarkPendingScheduled();
  return true;
}

bool TScheduledRecording::End(bool programClosing) {
  const bool stopped = shell_.StopRecording();
  RestoreSettings();
  shell_.RestoreSelection(selection_);
  if (switched_ && !programClosing) SwitchBack();
  switched_ = false;
  shell_.SetUnattended(false);
  shell_.TellScheduler(ipc::kScheduledRecordingEnded);
  return stopped;
}

bool TScheduledRecording::Refuse(qint32 status) {
  shell_.TellScheduler(status);
  RestoreSettings();
  shell_.SetUnattended(false);
  return false;
}

void TScheduledRecording::RestoreSettings() {
  settings::TCaptureSettings recorder = shell_.RecorderSettings();
  engine::RestoreRecordingBlock(recorder, saved_);
  shell_.SetRecorderSettings(recorder);
}

void TScheduledRecording::SwitchBack() {
  shell_.ToggleTVFM();
  // The mode switch that follows starts the picture of the side it returns to.
  shell_.StopPreview();
}

}  // namespace pvx::handoff
