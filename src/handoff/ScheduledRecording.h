#pragma once
// This program's side of a scheduled recording: the order in Relay.rec applied to the recorder,
// the source chosen (switching between TV and FM when needed), the recording started, and at
// its end everything put back. The shell's pieces come in through IScheduledShell, so the
// sequence is the same in the program and in tests.

#include <QString>
#include <QtGlobal>

#include "engine/RecordingState.h"
#include "handoff/RelayRecord.h"

namespace pvx::handoff {

// A channel selection as the channel tables hold it.
struct TChannelSelection {
  int Source = 0;
  int Table = 0;
  int Channel = 0;
  bool operator==(const TChannelSelection&) const = default;
};

class IScheduledShell {
 public:
  virtual ~IScheduledShell() = default;
  // The recorder's settings, which the order replaces for the length of the recording.
  virtual const settings::TCaptureSettings& RecorderSettings() const = 0;
  virtual void SetRecorderSettings(const settings::TCaptureSettings& settings) = 0;
  virtual void SetUnattended(bool on) = 0;
  virtual bool HasTuner() const = 0;
  virtual bool FMEnabled() const = 0;
  virtual bool FMPanelShown() const = 0;
  // The TV/FM toggle of command 6000.
  virtual void ToggleTVFM() = 0;
  virtual void StopPreview() = 0;
  virtual TChannelSelection CurrentSelection() const = 0;
  virtual void RestoreSelection(const TChannelSelection& selection) = 0;
  // The channel-state actions of one relay source kind.
  virtual void SelectSource(qint32 kind, qint32 channel) = 0;
  // As the record command: a recording that starts has a pending Done-list item.
  virtual bool StartRecording() = 0;
  virtual void MarkPendingScheduled() = 0;
  // As the stop command, the item described "Scheduled", the list written at once and the
  // file remembered as the given file. False when the file could not be completed.
  virtual bool StopRecording() = 0;
  // 3028 with the status: 2, 3 and 4 sent (the scheduler waits for them), 100 posted.
  virtual void TellScheduler(qint32 status) = 0;
};

class TScheduledRecording {
 public:
  explicit TScheduledRecording(IScheduledShell& shell) : shell_(shell) {}

  // Reads the relay file and starts its recording. On failure the scheduler has been told and
  // settings, unattended mode and channel are as before.
  bool Start(const QString& relayPath);
  // Stops the recording, lists it and puts everything back. A closing program keeps the
  // TV or FM side it shows.
  bool End(bool programClosing = false);

  // The FM panel was up when the order came: where the program goes back to.
  bool ReturnsToFM() const { return fmBefore_; }

 private:
  bool Refuse(qint32 status);
  // The recording settings as they were before the order.
  void RestoreSettings();
  void SwitchBack();

  IScheduledShell& shell_;
  engine::TRecordingSettingsBlock saved_;
  TChannelSelection selection_;
  bool switched_ = false;
  bool fmBefore_ = false;
};

}  // namespace pvx::handoff
