#pragma once
// The live preview: tuner chain, Smart Tee, pixel format and capture size, deinterlacer,
// snapshot grabber, overlay, video window; and its Wis form, which decodes an encoded stream.

namespace pvx::platform::graph {
class TPin;
}

namespace pvx::engine {

class TCaptureInfo;

class TPreviewGraph {
 public:
  explicit TPreviewGraph(TCaptureInfo& engine) : e_(engine) {}

  bool ConnectTunerChain();
  bool BuildPreviewGraph();
  bool BuildWisPreviewGraph();
  bool StartPreview();
  bool StopPreview();
  bool PlayGraph();
  bool RestartPreview();
  bool RestartWisPreview();
  bool ResumeAfterModeChange();
  bool SetDeinterlace(bool on);
  void SetPixelFormatChoice(int choice);
  bool RenderEncodedPreview(int mode);
  bool AddVideoDecoder(int kind);
  void DockVideoWindow(bool asThumbnail, int left, int top, int border);

  // Applies the capture size for the standard, deinterlacing and chip family.
  bool ApplyCaptureSize();

 private:
  bool BuildCommonStart();  // steps shared by both forms: tuner chain, Smart Tee, pins
  bool FinishBuild();       // stream configuration, tuner interfaces, crossbar, colour
  void ListMediaTypes();
  void ChooseAudioInput();
  bool RenderPreview(bool snapshot, bool deinterlace, bool overlay);
  bool CreateVideoWindow();
  bool SetCaptureFormat(int width, int height);
  bool IsNtscLike() const;

  TCaptureInfo& e_;
};

// The pixel format mode of a choice: 0 UYVY -> 1, 2 RGB24 -> 3, anything else -> 0 (YUY2).
int PixelFormatModeOf(int choice);

}  // namespace pvx::engine
