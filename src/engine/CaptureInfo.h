#pragma once
// The capture engine: the one object that owns the TV card's devices and the media graph.
// It finds the devices, builds the preview, tunes TV and FM, switches inputs, grabs
// snapshots and drives the colour controls. The work of each area is done by a collaborator
// (discovery, routing, preview, tuner, stills); this class holds the state they share.

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "engine/CrossBar.h"
#include "engine/VideoSignalAdjust.h"
#include "platform/TTimer.h"
#include "platform/graph/TFilterGraph.h"
#include "settings/CaptureSettings.h"

class QWidget;

namespace pvx::platform::video {
class TVideoWindow;
}

namespace pvx::engine {

class TDeviceDiscovery;
class TInputRouting;
class TPreviewGraph;
class TTunerControl;
class TStillImages;

// Receives grabbed snapshots (the snapshot store); set by start-up.
class ISnapshotSink {
 public:
  virtual ~ISnapshotSink() = default;
  virtual void InsertSnapshot(const QImage& image) = 0;
};

class TCaptureInfo : public settings::TCaptureSettings {
 public:
  TCaptureInfo(QWidget* owner, const platform::graph::TComponentRegistry& components);
  ~TCaptureInfo();
  TCaptureInfo(const TCaptureInfo&) = delete;
  TCaptureInfo& operator=(const TCaptureInfo&) = delete;

  // --- graph objects and devices ------------------------------------------------------------
  void CreateGraphObjects();
  void ReleaseGraphObjects();
  bool OpenDevices();
  bool ReopenDevices();

  // --- crossbar --------------------------------------------------------------------------
  bool SelectInput(int kind);
  void FixCrossbarAudio();
  bool SelectAudioInputLine(int line);

  // --- preview ---------------------------------------------------------------------------
  bool ConnectTunerChain();
  bool BuildPreviewGraph();
  bool StartPreview();
  bool StopPreview();
  bool PlayGraph();
  bool RestartPreview();
  bool ResumeAfterModeChange();
  bool SetDeinterlace(bool on);
  void SetPixelFormatChoice(int choice);
  // Wis family forms.
  bool BuildWisPreviewGraph();
  bool RenderEncodedPreview(int mode);
  bool RestartWisPreview();
  bool AddVideoDecoder(int kind);
  // The video window as a thumbnail inset, or filling the owner again.
  void DockVideoWindow(bool asThumbnail, int left, int top, int border);

  // --- tuner -----------------------------------------------------------------------------
  bool SetTVFrequency(quint32 hertz, bool pauseGraph);
  bool SetFMFrequency(quint32 hertz);
  bool FMUp();
  bool FMDown();
  void SetRadioMode(bool fm);
  bool SetVideoStandard(int standard);
  bool SetCountryCode(int code);
  bool SetTVAudioMode(int mode);
  void ReadTVBand();
  void ReadFMBand();

  // --- snapshots and colour ----------------------------------------------------------------
  bool GrabSnapshot();
  bool GrabStill();
  void SetStillShown(bool on);

  // --- errors ----------------------------------------------------------------------------
  // Shows an error code unless unattended.
  void ReportError(int code);
  // Shows a literal message unless unattended (or always, for the few that must be seen).
  void ReportText(const QString& text, bool evenUnattended = false);

  // --- callbacks (engine first) --------------------------------------------------------------
  std::function<void(TCaptureInfo&, bool stop, bool timeShift, qint64 freeLess500k,
                     qint64 bytesWritten, qint64 elapsedSeconds)>
      OnCaptureProgress;
  std::function<void(TCaptureInfo&, bool ready)> OnTimeShiftReady;
  std::function<void(TCaptureInfo&, platform::video::TVideoWindow* window, int)> OnVideoWindowCreated;
  std::function<void(TCaptureInfo&, quint32 hertz, bool locked)> OnFMTuned;

  ISnapshotSink* Snapshots = nullptr;

  // --- state -------------------------------------------------------------------------------
  QWidget* Owner;
  const platform::graph::TComponentRegistry& Components;
  bool HasTuner = true;
  bool HasAuxInput = false;
  bool RadioMode = false;
  bool NoPreviewRender = false;
  bool AudioThroughCapture = false;
  bool HasPreviewPin = false;
  bool HasCapturePin = false;
  bool HasAudioCapture = false;
  bool HasVBIPin = false;
  QStringList VideoDevices;
  std::vector<platform::graph::TMediaType> VideoMediaTypes;
  QStringList VideoMediaTypeNames;
  int MediaTypeIndex = 0;
  int UYVYIndex = -1, YUY2Index = -1, RGB24Index = -1, RGB32Index = -1;
  quint8 PixelFormatMode = 0;  // 0 YUY2, 1 UYVY, 2 keep MediaTypeIndex, 3 RGB24, 4 RGB32
  QStringList AudioDevices;
  std::vector<platform::graph::TMediaType> AudioMediaTypes;
  QStringList AudioMediaTypeNames;
  QStringList AudioInputNames;
  platform::TTimer Timer;
  qint64 ElapsedSeconds = 0;
  qint64 BytesWritten = 0;
  qint64 FreeAtStart = 0;
  bool Recording = false;
  bool Unattended = false;
  bool TimeShiftActive = false;
  bool TimeShiftReady = false;
  bool SignalLocked = false;
  qint32 PLLOffset = 0;
  quint32 TVFrequency = 76000000;
  quint32 FMFrequency = 100000000;
  qint32 TVMin = 100000, TVMax = 870000000;
  qint32 FMMin = 76000000, FMMax = 108000000;
  qint32 FMStep = 50000;
  bool CoarseTuning = false;
  QString VideoNameOverride, TunerNameOverride, TVAudioNameOverride, CrossbarNameOverride;
  int InputKind = 2;
  int RouteCount = 0;
  QStringList RouteNames;
  std::unique_ptr<TCrossbar> Crossbar;
  int VideoStandard = 0;
  QString VideoStandardName;
  int TVAudioModes = 0;
  // Lock readings per TV tuning; chip detection sets it (the channel tables keep the user's).
  int SignalReadings = 1;
  // The sound device chosen for audio adjustment, preferred as the audio capture device.
  QString PreferredAudioDevice;
  // Tuning waits for the tuner to settle (product option, on by default).
  bool TuningPause = true;
  int AudioBitRate = 224000, AudioChannels = 2, AudioSampleRate = 48000;

  // The graph and its filters. Device filters carry these names in the graph.
  std::unique_ptr<platform::graph::TFilterGraph> Graph;
  std::shared_ptr<platform::graph::TFilter> VCapture, ACapture, TVTuner, TVAudio, CrossbarFilter;
  std::shared_ptr<platform::graph::TFilter> SmartTee, SmartTeeAudio, Overlay, Deinterlacer,
      Snapshot, VideoDecoder;
  std::shared_ptr<platform::graph::TFilter> Empia2800;
  // Pins held while a graph exists.
  platform::graph::TPin* PreviewPin = nullptr;
  platform::graph::TPin* CapturePin = nullptr;
  platform::graph::TPin* AudioCapturePin = nullptr;
  platform::graph::TPin* VBIPin = nullptr;
  platform::graph::TPin* AudioTeePin = nullptr;  // the Infinite Pin Tee's second output
  platform::video::TVideoWindow* VideoWindow = nullptr;
  TVideoSignalAdjust SignalAdjust;
  QImage StillImage;
  bool StillShown = false;

  // The fixed time-shift file pair in the capture folder: "ts0.mpv" and "ts0.mpa".
  static QString FixedTimeShiftFile();
  static void DeleteTimeShiftFiles();
  // Releases the pins held from the previous build.
  void ReleasePins();

 private:
  std::unique_ptr<TDeviceDiscovery> discovery_;
  std::unique_ptr<TInputRouting> routing_;
  std::unique_ptr<TPreviewGraph> preview_;
  std::unique_ptr<TTunerControl> tuner_;
  std::unique_ptr<TStillImages> stills_;
};

}  // namespace pvx::engine
