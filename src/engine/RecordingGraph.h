#pragma once
// The recording branches added to the live graph: the MPEG recorder, the AVI path (MPEG-4 or
// uncompressed), the sound path (WAV, MP3), and the Wis form where the card's encoder feeds a
// multiplexer. The preview keeps running in the same graph. Every filter added here is taken
// out again by TearDown, so the preview can be rebuilt from the devices afterwards.

#include <QSize>
#include <QString>
#include <memory>
#include <vector>

#include "engine/EngineConfig.h"
#include "settings/CaptureSettings.h"

namespace pvx::platform::graph {
class TFilter;
class TFilterGraph;
class TPin;
}  // namespace pvx::platform::graph

namespace pvx::engine {

class TCaptureDevices;
class TCaptureFormats;
class TPreviewPipeline;

struct TRecordRequest {
  int Kind = 1;  // StreamKind
  bool TimeShift = false;
  bool Radio = false;
  int Standard = 0;  // video standard: the time-shift size follows it
  QString File;
  int MPEG4Codec = 2;
  int AudioBitRate = 224000, AudioSampleRate = 48000, AudioChannels = 2;
};

class TRecordingGraph {
 public:
  using FilterPtr = std::shared_ptr<platform::graph::TFilter>;

  TRecordingGraph(TCaptureDevices& devices, TPreviewPipeline& preview, TCaptureFormats& formats,
                  settings::TCaptureSettings& stored, const TErrorReporter& report)
      : devices_(devices), preview_(preview), formats_(formats), stored_(stored), report_(report) {}

  bool Build(const TRecordRequest& request);
  bool BuildWis(const TRecordRequest& request);
  // Takes every recording filter out of the graph (it must be stopped).
  void TearDown();
  // Why a writer of the branch failed; empty while the recording goes well.
  QString RecordingError() const;

  // "AVI Mux" for kind 2, else "OKA MPEG Multiplexer", as "MPEGMux".
  bool AddMultiplexer(int kind);
  bool AddMPEGAudioEncoder();

  // Frame-rate code to frames per second: 1 23.976, 2 24, 3 25, 4 29.97, else 30.
  static double FrameRateOf(int code);
  // The frame size a time-shift recording captures at.
  static QSize TimeShiftCaptureSize(int standard);

 private:
  platform::graph::TFilterGraph& Graph() const;
  FilterPtr Add(const QString& friendlyName, const QString& name, int category = -1);
  void ApplyCaptureFormat(const TRecordRequest& r);
  void ApplyAudioFormat();
  // The sound to record: the audio tee's second output when the sound plays through it.
  platform::graph::TPin* AudioSource() const;
  bool WithAudio() const;
  bool BuildMpeg(const TRecordRequest& r);
  bool BuildAvi(const TRecordRequest& r);
  bool BuildSound(const TRecordRequest& r);
  bool BuildWisBranch(const TRecordRequest& r, int kind);
  bool AddWisWriter(const TRecordRequest& r, int kind);
  void SelectWisFormat(int kind, int mpeg4Codec);

  TCaptureDevices& devices_;
  TPreviewPipeline& preview_;
  TCaptureFormats& formats_;
  settings::TCaptureSettings& stored_;
  const TErrorReporter& report_;
  std::vector<FilterPtr> added_;
  FilterPtr mux_, audioEncoder_;
};

}  // namespace pvx::engine
