#pragma once
// The capture engine: the one object that owns the TV card's devices and the media graph.
// It is a face over parts that keep their own state: the devices (and what they offer), the
// preview pipeline, the tuner, the inputs and the stills. It runs the steps that span parts,
// refuses graph changes while recording, and raises the engine's callbacks.

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

#include "engine/CaptureDevices.h"
#include "engine/CaptureFormats.h"
#include "engine/EngineConfig.h"
#include "engine/InputRouting.h"
#include "engine/PreviewPipeline.h"
#include "engine/RecordingControl.h"
#include "engine/RecordingState.h"
#include "engine/StillImages.h"
#include "engine/TunerControl.h"
#include "engine/VideoSignalAdjust.h"
#include "settings/CaptureSettings.h"

namespace pvx::engine {

// Receives grabbed snapshots (the snapshot store); set by start-up.
class ISnapshotSink {
 public:
  virtual ~ISnapshotSink() = default;
  virtual void InsertSnapshot(const QImage& image) = 0;
};

class TCaptureInfo {
 public:
  explicit TCaptureInfo(const platform::graph::TComponentRegistry& components,
                        TEngineConfig config = {});
  ~TCaptureInfo();
  TCaptureInfo(const TCaptureInfo&) = delete;
  TCaptureInfo& operator=(const TCaptureInfo&) = delete;

  // --- settings ------------------------------------------------------------------------------
  // The device and recording settings the engine works with; QDVCR.cfg keeps them.
  const settings::TCaptureSettings& Settings() const { return settings_; }
  // Takes new settings and does at once what they change: other devices are opened again once
  // devices are open, a changed deinterlacing (or its method) rebuilds the preview, and the
  // recording choices wait for the next recording. False when the devices could not be opened
  // again.
  bool Apply(const settings::TCaptureSettings& next);

  // --- graph objects and devices ------------------------------------------------------------
  void CreateGraphObjects();
  void ReleaseGraphObjects();
  bool OpenDevices();
  bool ReopenDevices();

  // --- inputs ------------------------------------------------------------------------------
  bool SelectInput(int kind);
  void FixCrossbarAudio();
  bool SelectAudioInputLine(int line);

  // --- preview -------------------------------------------------------------------------------
  bool BuildPreviewGraph();
  bool StartPreview();
  bool StopPreview();
  bool RestartPreview();
  bool ResumeAfterModeChange();
  // The live picture deinterlaced or not; `fast` doubles lines instead of the motion-adaptive
  // best. The one-argument form keeps the method.
  bool SetDeinterlace(bool on, bool fast);
  bool SetDeinterlace(bool on) { return SetDeinterlace(on, settings_.DeinterlaceFast); }
  void SetPixelFormatChoice(int choice);
  // Wis family forms.
  bool BuildWisPreviewGraph();

  // --- tuner -------------------------------------------------------------------------------
  bool SetTVFrequency(quint32 hertz, bool pauseGraph);
  bool SetFMFrequency(quint32 hertz);
  bool FMUp();
  bool FMDown();
  void SetRadioMode(bool fm);
  bool SetVideoStandard(int standard);
  bool SetCountryCode(int code);
  bool SetTVAudioMode(int mode);
  void ReadFMBand();
  void SetCoarseTuning(bool on) { tuner_->SetCoarseTuning(on); }
  // Lock readings per TV tuning; discovery sets them by chip, the channel tables their own.
  void SetSignalReadings(int readings) { tuner_->SetSignalReadings(readings); }
  // Sends the card's vendor object a standard setting (Empia 2800 only).
  void SetVendorStandard(int value);

  // --- recording and time-shift ------------------------------------------------------------
  // A recording by the settings (never a time-shift buffer).
  bool StartRecording() { return recorder_->Start(); }
  bool StopRecording() { return recorder_->Stop(); }
  // Saves the recording settings, records the time-shift pair, and puts them back at the stop.
  bool StartTimeShift() { return recorder_->StartTimeShift(); }
  bool StopTimeShift();
  // A free file name in the capture folder (the wave folder while the FM panel shows).
  QString MakeCaptureFileName(bool numbered, const QString& base, int kind) const;
  // What a recording started now would write (StreamKind).
  int CurrentStreamKind() const;
  bool IsWithAudio() const { return settings_.RecordKind != 2; }
  bool IsAudioOnly() const { return settings_.RecordKind == 1; }
  // Bytes in the file(s) being written; the free-space figure counts other writers too.
  qint64 RecordedBytes() const { return recorder_->RecordedBytes(); }
  TRecordingSettingsBlock SaveRecordingBlock() const { return engine::SaveRecordingBlock(settings_); }
  // True while the FM panel is visible; set by the shell, which sees the panels.
  std::function<bool()> WaveFolderActive;
  // The channel playing and its name, for the file's tags; set by the shell.
  std::function<void(int& channel, QString& station)> CurrentStation;

  // --- snapshots and colour ----------------------------------------------------------------
  bool GrabSnapshot();
  bool GrabStill();
  void SetStillShown(bool on);

  // --- errors --------------------------------------------------------------------------------
  // Shows an error code unless unattended.
  void ReportError(int code) { report_.Error(code); }
  // Shows a literal message unless unattended (or always, for the few that must be seen).
  void ReportText(const QString& text, bool evenUnattended = false) { report_.Text(text, evenUnattended); }

  // --- the parts -----------------------------------------------------------------------------
  const TEngineConfig& Config() const { return config_; }
  const TCaptureDevices& Devices() const { return *devices_; }
  const TCaptureFormats& Formats() const { return *formats_; }
  const TPreviewPipeline& Preview() const { return *preview_; }
  const TTunerControl& Tuner() const { return *tuner_; }
  const TInputRouting& Routing() const { return *routing_; }
  const TStillImages& Stills() const { return *stills_; }
  const TVideoSignalAdjust& SignalAdjust() const { return signalAdjust_; }
  IColourControls& ColourControls() { return signalAdjust_; }
  const TRecordingState& Recorder() const { return recorder_->State(); }
  const TTimeShiftState& TimeShift() const { return recorder_->TimeShift(); }

  // --- state the shell reads -----------------------------------------------------------------
  const TChipInfo& Chip() const { return devices_->Chip(); }
  bool HasTuner() const { return devices_->HasTuner(); }
  bool HasAuxInput() const { return routing_->HasAuxInput(); }
  bool RadioMode() const { return tuner_->RadioMode(); }
  // A running graph failed since the last preview that started: the card is gone.
  bool DeviceLost() const { return deviceLost_; }
  bool StillShown() const { return stills_->StillShown(); }
  bool Recording() const { return recorder_->Recording(); }
  bool TimeShiftReady() const { return recorder_->TimeShift().Ready; }
  bool Unattended() const { return report_.Unattended(); }
  void SetUnattended(bool on) { report_.SetUnattended(on); }
  // While starting straight into FM the preview stream is not rendered to the window.
  bool NoPreviewRender() const { return noPreviewRender_; }
  void SetNoPreviewRender(bool on) { noPreviewRender_ = on; }
  bool TuningPause() const { return config_.TuningPause; }

  // --- callbacks (engine first) --------------------------------------------------------------
  std::function<void(TCaptureInfo&, bool stop, bool timeShift, qint64 freeLess500k,
                     qint64 bytesWritten, qint64 elapsedSeconds)>
      OnCaptureProgress;
  std::function<void(TCaptureInfo&, bool ready)> OnTimeShiftReady;
  std::function<void(TCaptureInfo&, platform::video::IVideoWindow* window, int)> OnVideoWindowCreated;
  std::function<void(TCaptureInfo&, quint32 hertz, bool locked)> OnFMTuned;
  // The running graph failed (the card was unplugged). `recordedFile` is empty when nothing was
  // recording. After the call any recording is ended, its file completed, and the preview stopped.
  std::function<void(TCaptureInfo&, const QString& message, const QString& recordedFile)> OnDeviceLost;
  // After discovery has told the card's chip from its name.
  std::function<void(TCaptureInfo&, const TChipInfo& chip)> OnChipDetected;

  ISnapshotSink* Snapshots = nullptr;

  // The capture folder, ending with "/"; the documents folder until one is set.
  QString CaptureFolder() const;
  // The fixed time-shift file pair in the capture folder: "ts0.mpv" and "ts0.mpa".
  QString FixedTimeShiftFile() const;
  void DeleteTimeShiftFiles() const;

 private:
  TPreviewSettings PreviewSettings() const;
  TProgramSettings Program() const { return ProgramOf(config_); }
  // The interfaces a built graph must offer, the tuner's range, routes and colour controls.
  bool FinishBuild();
  TRecordRequest RecordRequest() const;

  // First: the parts below keep a reference to it.
  settings::TCaptureSettings settings_;
  TEngineConfig config_;
  TErrorReporter report_;
  std::unique_ptr<TCaptureDevices> devices_;
  std::unique_ptr<TCaptureFormats> formats_;
  std::unique_ptr<TPreviewPipeline> preview_;
  std::unique_ptr<TTunerControl> tuner_;
  std::unique_ptr<TInputRouting> routing_;
  std::unique_ptr<TStillImages> stills_;
  TVideoSignalAdjust signalAdjust_{config_.ColourLevels};
  std::unique_ptr<TRecordingControl> recorder_;
  bool noPreviewRender_ = false;
  bool deviceLost_ = false;
  bool devicesOpened_ = false;
};

}  // namespace pvx::engine
