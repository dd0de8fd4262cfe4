#pragma once
// The live preview: the graph, the tuner chain, the Smart Tee, capture size, deinterlacer,
// snapshot grabber, overlay and the video window; and its Wis form, which decodes the card's
// encoded stream. Build, Run, Stop; Apply takes new settings live or rebuilds what they change.

#include <functional>
#include <memory>

#include "engine/EngineConfig.h"

namespace pvx::platform::graph {
class TFilter;
class TFilterGraph;
class TPin;
}  // namespace pvx::platform::graph

namespace pvx::engine {

class TCaptureDevices;
class TCaptureFormats;

struct TPreviewSettings {
  int Standard = 0;  // the video standard the capture size follows
  bool Deinterlace = false;
  bool Radio = false;   // FM: the picture is left as it is
  bool Render = true;   // false: the preview stream is not rendered to the window
  bool DeinterlaceFast = false;  // line doubling rather than motion-adaptive
  bool operator==(const TPreviewSettings&) const = default;
};

class TPreviewPipeline {
 public:
  using FilterPtr = std::shared_ptr<platform::graph::TFilter>;

  TPreviewPipeline(TCaptureDevices& devices, TCaptureFormats& formats, const TEngineConfig& config,
                   const TErrorReporter& report);
  ~TPreviewPipeline();

  // A new, empty graph; the devices bind into it.
  void NewGraph();
  // Stops and drops the graph with every filter, pin and the video window.
  void Release();
  platform::graph::TFilterGraph* Graph() const { return graph_.get(); }

  // The standard form: tuner chain, tee, formats, capture size, picture and sound paths.
  bool Build(const TPreviewSettings& settings);
  // The Wis form: the encoder's MPEG-2 stream decoded into the window.
  bool BuildWis(const TPreviewSettings& settings);
  bool Run();
  bool Stop();
  bool Pause();
  // Rebuilds the picture chain after the tee (the devices' pins are kept).
  bool Restart(const TPreviewSettings& settings);
  bool RestartWis();
  // New settings: a deinterlacing (or, while on, its method) or capture size change rebuilds the
  // picture chain, anything else is taken live.
  bool Apply(const TPreviewSettings& settings);
  bool ApplyCaptureSize();

  bool ConnectTunerChain();
  // Decodes the card's encoded stream of a kind: 0 MPEG-1, 1 MPEG-2, 2 MPEG-4.
  bool RenderEncodedPreview(int kind);
  // The picture while recording: without snapshot grabber and overlay (the Wis form decodes
  // the encoded stream of `encodedKind`; -1 for the standard form).
  bool RenderRecordingPreview(bool deinterlace, int encodedKind = -1);
  // Takes out what follows the preview pin, so a rebuild starts from the bare devices.
  void DropPictureChain();
  bool AddVideoDecoder(int kind);

  const TPreviewSettings& Settings() const { return settings_; }
  bool HasPreviewPin() const { return previewPin_ != nullptr; }
  bool HasCapturePin() const { return hasCapturePin_; }
  bool HasVBIPin() const { return hasVBIPin_; }
  bool HasAudioCapture() const { return audioCapturePin_ != nullptr; }
  platform::graph::TPin* CapturePin() const { return capturePin_; }
  platform::graph::TPin* AudioCapturePin() const { return audioCapturePin_; }
  bool AudioThroughCapture() const { return audioThroughCapture_; }
  // The Infinite Pin Tee's second output, for recording the sound it plays.
  platform::graph::TPin* AudioTeePin() const { return audioTeePin_; }
  platform::graph::TFilter* SmartTee() const { return smartTee_.get(); }
  platform::graph::TFilter* SmartTeeAudio() const { return smartTeeAudio_.get(); }
  platform::graph::TFilter* Snapshot() const { return snapshot_.get(); }
  platform::graph::TFilter* VideoDecoder() const { return videoDecoder_.get(); }
  platform::video::IVideoWindow* VideoWindow() const { return window_; }

  // Told each time the video window is created, and after each capture size is set.
  std::function<void(platform::video::IVideoWindow*)> OnVideoWindowCreated;
  std::function<void()> OnCaptureSizeSet;
  // An error posted by a running graph (a device unplugged, a driver that stops); the text
  // is the element's own.
  std::function<void(const QString& message)> OnRunningGraphError;

 private:
  bool BuildCommonStart(const TPreviewSettings& settings);
  bool UseSmartTee();
  void RenderAudioThroughCapture();
  bool RenderPreview(bool snapshot, bool deinterlace, bool overlay);
  // Adds a filter between `current` and the renderer; false leaves `current` as it was.
  bool Insert(const FilterPtr& filter, platform::graph::TPin*& current);
  bool CreateVideoWindow();
  void RemoveFilter(FilterPtr& filter);
  void ReleasePins();

  TCaptureDevices& devices_;
  TCaptureFormats& formats_;
  const TEngineConfig& config_;
  const TErrorReporter& report_;
  TPreviewSettings settings_;
  std::unique_ptr<platform::graph::TFilterGraph> graph_;
  FilterPtr smartTee_, smartTeeAudio_, overlay_, deinterlacer_, snapshot_, videoDecoder_;
  platform::graph::TPin* previewPin_ = nullptr;
  platform::graph::TPin* capturePin_ = nullptr;
  platform::graph::TPin* audioCapturePin_ = nullptr;
  platform::graph::TPin* audioTeePin_ = nullptr;
  bool hasCapturePin_ = false;
  bool hasVBIPin_ = false;
  bool audioThroughCapture_ = false;
  platform::video::IVideoWindow* window_ = nullptr;
};

}  // namespace pvx::engine
