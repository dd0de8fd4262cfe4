#pragma once
// The recording branches of a card without its own encoder, added to the live graph: the MPEG
// recorder, the AVI path (MPEG-4 or uncompressed) and the sound path (WAV, MP3).

#include <QSize>
#include <QString>

#include "engine/EngineConfig.h"
#include "engine/RecordingBranch.h"
#include "settings/CaptureSettings.h"

namespace pvx::engine {

class TCaptureDevices;
class TCaptureFormats;
class TPreviewPipeline;

class TRecordingGraph {
 public:
  TRecordingGraph(TRecordingBranch& branch, TCaptureDevices& devices, TPreviewPipeline& preview,
                  TCaptureFormats& formats, const settings::TCaptureSettings& stored, const TErrorReporter& report)
      : branch_(branch), devices_(devices), preview_(preview), formats_(formats), stored_(stored), report_(report) {}

  bool Build(const TRecordRequest& request);

  // Frame-rate code to frames per second: 1 23.976, 2 24, 3 25, 4 29.97, else 30.
  static double FrameRateOf(int code);
  // The frame size a time-shift recording captures at.
  static QSize TimeShiftCaptureSize(int standard);

 private:
  platform::graph::TFilterGraph& Graph() const { return branch_.Graph(); }
  void ApplyCaptureFormat(const TRecordRequest& r);
  void ApplyAudioFormat();
  bool BuildMpeg(const TRecordRequest& r);
  bool BuildAvi(const TRecordRequest& r);
  bool BuildSound(const TRecordRequest& r);

  TRecordingBranch& branch_;
  TCaptureDevices& devices_;
  TPreviewPipeline& preview_;
  TCaptureFormats& formats_;
  const settings::TCaptureSettings& stored_;
  const TErrorReporter& report_;
};

}  // namespace pvx::engine
