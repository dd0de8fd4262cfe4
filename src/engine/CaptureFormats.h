#pragma once
// What the capture devices offer: the video capture pin's media types and the pixel format
// taken from them, the audio capture pin's media types and the audio device's input lines.

#include <QSize>
#include <QStringList>
#include <vector>

#include "platform/graph/GraphTypes.h"

namespace pvx::platform::graph {
class TFilter;
}

namespace pvx::settings {
struct TCaptureSettings;
}

namespace pvx::engine {

// The pixel format mode of a choice: 0 UYVY -> 1, 2 RGB24 -> 3, anything else -> 0 (YUY2).
int PixelFormatModeOf(int choice);

class TCaptureFormats {
 public:
  explicit TCaptureFormats(settings::TCaptureSettings& stored) : stored_(stored) {}

  // Lists the video capture device's media types and takes the stored pixel format choice.
  void ReadVideo(platform::graph::TFilter& videoCapture);
  // Lists the audio device's types and lines and enables the stored line (or the one on).
  void ReadAudio(platform::graph::TFilter& audioCapture);
  // Sets the chosen pixel format at this size on the capture device; a format the device does
  // not offer falls back to the first of UYVY, YUY2 and RGB24 it does.
  bool Apply(platform::graph::TFilter& videoCapture, QSize size);
  // A choice the device cannot give becomes YUY2.
  void SetPixelFormatChoice(int choice);
  // The subtype snapshots convert from.
  QString GrabberSubtype() const;
  void Clear();

  const std::vector<platform::graph::TMediaType>& VideoMediaTypes() const { return videoTypes_; }
  const QStringList& VideoMediaTypeNames() const { return videoTypeNames_; }
  const QStringList& AudioMediaTypeNames() const { return audioTypeNames_; }
  const QStringList& AudioInputNames() const { return audioInputNames_; }
  int MediaTypeIndex() const { return mediaTypeIndex_; }
  void ResetMediaTypeIndex() { mediaTypeIndex_ = 0; }
  int UYVYIndex() const { return uyvy_; }
  int YUY2Index() const { return yuy2_; }
  int RGB24Index() const { return rgb24_; }
  int RGB32Index() const { return rgb32_; }
  // 0 YUY2, 1 UYVY, 2 keep MediaTypeIndex, 3 RGB24, 4 RGB32.
  int PixelFormatMode() const { return pixelFormatMode_; }

 private:
  settings::TCaptureSettings& stored_;
  std::vector<platform::graph::TMediaType> videoTypes_, audioTypes_;
  QStringList videoTypeNames_, audioTypeNames_, audioInputNames_;
  int mediaTypeIndex_ = 0;
  int uyvy_ = -1, yuy2_ = -1, rgb24_ = -1, rgb32_ = -1;
  int pixelFormatMode_ = 0;
};

}  // namespace pvx::engine
